// How the program switches the browsers' capture on and off in the registry:
// the browser helper's entry among the browser's helper objects, and the
// schemes the DDE browser is told to hand over.
#pragma once

namespace ks {

inline constexpr char kHelperClsid[] = "{CAE188AE-945B-11D4-ABBB-B9EE7E4C3B20}";
inline constexpr char kHelperObjectsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";
inline constexpr char kAutomationProtocolsKey[] =
    "SOFTWARE\\Netscape\\Netscape Navigator\\Automation Protocols";

// On: lists the helper's class under the helper-objects key (which must
// already exist: without the browser there is nothing to switch); off:
// removes it. Browser windows opened afterwards follow. Errors are silent.
void SetBrowserHelperListed(bool on);
bool BrowserHelperListed();

// Sets the browser's "http" and "ftp" automation values to the empty string,
// when the browser's key exists. Returns whether both were written.
bool ClaimAutomationProtocols();

}  // namespace ks
