// The values under HKLM "SOFTWARE\Kestrune": what the browser helper reads
// ("CaptureIE", "ClipForm", "File Types") and the per-installation key that
// scrambles stored passwords ("temp").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/paths.h"

namespace ks {

inline constexpr const char* kKestruneKey = "SOFTWARE\\Kestrune";

// The key must exist (the installer creates it); otherwise the result carries
// kMsgReinstall and exit code 1.
StartupResult CheckKestruneKey();

// "CaptureIE" 0/1. False when the value could not be written; the caller then
// turns browser capture off in the program too.
bool WriteCaptureIE(bool on);
std::optional<bool> ReadCaptureIE();

// "ClipForm": the number of the registered clipboard format.
bool WriteClipForm(std::uint32_t format);
std::optional<std::uint32_t> ReadClipForm();

// "File Types": every extension preceded by '.', no separators (".avi.arj...").
std::string FileTypesRegistryText(const std::vector<std::string>& types);
bool WriteFileTypes(const std::vector<std::string>& types);

// "temp": 32 upper-case hex digits (16 random values 1..253). Returns the
// stored key, generating and writing a new one when it is missing or shorter
// than 32 characters. If it cannot be written, the new key is still returned
// for this run.
std::string ReadOrCreateInstallKey();
// A fresh key; `seed` drives the generator, so tests get a fixed result.
std::string MakeInstallKey(std::uint64_t seed);

}  // namespace ks
