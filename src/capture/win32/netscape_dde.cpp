#include "capture/win32/netscape_dde.h"

#include "capture/dde_items.h"

namespace ks {

namespace {
HDDEDATA CALLBACK QuietCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

int SendProtocolRequest(const char* topicName, const char* ownService, BrowserScheme scheme) {
    DWORD inst = 0;
    if (DdeInitializeA(
            &inst, QuietCallback,
            APPCLASS_STANDARD | APPCMD_CLIENTONLY | CBF_FAIL_EXECUTES | CBF_SKIP_ALLNOTIFICATIONS,
            0) != DMLERR_NO_ERROR)
        return 0;
    const std::string item =
        ProtocolItem(ownService, scheme == BrowserScheme::Http ? "http" : "ftp");
    HSZ service = DdeCreateStringHandleA(inst, kNetscapeService, CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(inst, topicName, CP_WINANSI);
    HSZ hszItem = DdeCreateStringHandleA(inst, item.c_str(), CP_WINANSI);
    int sent = 0;
    if (HCONV conv = DdeConnect(inst, service, topic, nullptr)) {
        DWORD result = 0;
        DdeClientTransaction(nullptr, 0, conv, hszItem, CF_TEXT, XTYP_REQUEST, TIMEOUT_ASYNC,
                             &result);
        sent = 1;
    }
    DdeUninitialize(inst);  // frees the string handles and the conversation
    return sent;
}
}  // namespace

int RegisterProtocol(const char* service, BrowserScheme scheme) {
    return SendProtocolRequest(kRegisterProtocolTopic, service, scheme);
}

int UnregisterProtocol(const char* service, BrowserScheme scheme) {
    return SendProtocolRequest(kUnregisterProtocolTopic, service, scheme);
}

HDDEDATA OpenUrlAnswerData(DWORD instance, const std::string& item, std::int32_t answer) {
    HSZ hszItem = DdeCreateStringHandleA(instance, item.c_str(), CP_WINANSI);
    HDDEDATA data = DdeCreateDataHandle(instance, reinterpret_cast<LPBYTE>(&answer), sizeof answer,
                                        0, hszItem, CF_TEXT, 0);
    if (hszItem) DdeFreeStringHandle(instance, hszItem);
    return data;
}

}  // namespace ks
