// What the parts of the browser helper share: its identities, the module's
// lock count and the hand-over entry points. Win32 only.
#pragma once

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <ole2.h>
// clang-format on

#include <string>

namespace tavisk {

// {CAE188AE-945B-11D4-ABBB-B9EE7E4C3B20}
inline constexpr CLSID kClsid = {
    0xCAE188AE, 0x945B, 0x11D4, {0xAB, 0xBB, 0xB9, 0xEE, 0x7E, 0x4C, 0x3B, 0x20}};
// {CAE188AD-945B-11D4-ABBB-B9EE7E4C3B20}
inline constexpr IID kIidBrowserHelper = {
    0xCAE188AD, 0x945B, 0x11D4, {0xAB, 0xBB, 0xB9, 0xEE, 0x7E, 0x4C, 0x3B, 0x20}};
// {CAE188A1-945B-11D4-ABBB-B9EE7E4C3B20}
inline constexpr GUID kLibid = {
    0xCAE188A1, 0x945B, 0x11D4, {0xAB, 0xBB, 0xB9, 0xEE, 0x7E, 0x4C, 0x3B, 0x20}};

inline constexpr char kClsidText[] = "{CAE188AE-945B-11D4-ABBB-B9EE7E4C3B20}";
inline constexpr char kLibidText[] = "{CAE188A1-945B-11D4-ABBB-B9EE7E4C3B20}";

HINSTANCE Module();
std::string ModulePath();
void LockModule();
void UnlockModule();

// DllRegisterServer / DllUnregisterServer.
HRESULT RegisterServer();
HRESULT UnregisterServer();

// Hands url to the program through the clipboard, owner opening it. True
// when it is there (the navigation is then cancelled); *format receives the
// clipboard format used.
bool HandOffUrl(const std::string& url, HWND owner, UINT* format);

}  // namespace tavisk
