#include "app/win32/dde_link.h"

#include <vector>

namespace ks {

namespace {
HDDEDATA CALLBACK QuietClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}
}  // namespace

int HandOffToRunningInstance(const std::string& commandLine) {
    DWORD inst = 0;
    if (DdeInitializeA(&inst, QuietClientCallback,
                       APPCLASS_STANDARD | CBF_FAIL_EXECUTES | CBF_SKIP_ALLNOTIFICATIONS,
                       0) != DMLERR_NO_ERROR)
        return 0;
    HSZ service = DdeCreateStringHandleA(inst, kDdeService, CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(inst, kDdeCommandTopic, CP_WINANSI);
    HSZ item = DdeCreateStringHandleA(inst, commandLine.c_str(), CP_WINANSI);
    int sent = 0;
    if (HCONV conv = DdeConnect(inst, service, topic, nullptr)) {
        DWORD result = 0;
        DdeClientTransaction(nullptr, 0, conv, item, CF_TEXT, XTYP_REQUEST, TIMEOUT_ASYNC, &result);
        sent = 1;
    }
    DdeUninitialize(inst);  // frees the string handles and the conversation
    return sent;
}

CDdeServer* CDdeServer::current_ = nullptr;

bool CDdeServer::Start(CommandLineHandler onCommandLine) {
    if (instance_ || current_) return false;
    current_ = this;
    onCommandLine_ = std::move(onCommandLine);
    if (DdeInitializeA(&instance_, &CDdeServer::Callback,
                       APPCLASS_STANDARD | CBF_SKIP_UNREGISTRATIONS, 0) != DMLERR_NO_ERROR) {
        instance_ = 0;
        current_ = nullptr;
        return false;
    }
    service_ = DdeCreateStringHandleA(instance_, kDdeService, CP_WINANSI);
    if (!service_ || !DdeNameService(instance_, service_, nullptr, DNS_REGISTER)) {
        Stop();
        return false;
    }
    return true;
}

void CDdeServer::Stop() {
    if (instance_) {
        if (service_) {
            DdeNameService(instance_, service_, nullptr, DNS_UNREGISTER);
            DdeFreeStringHandle(instance_, service_);
        }
        DdeUninitialize(instance_);
    }
    instance_ = 0;
    service_ = nullptr;
    if (current_ == this) current_ = nullptr;
}

std::string CDdeServer::Text(HSZ h) const {
    if (!h) return {};
    DWORD n = DdeQueryStringA(instance_, h, nullptr, 0, CP_WINANSI);
    std::vector<char> buf(n + 1);
    DdeQueryStringA(instance_, h, buf.data(), n + 1, CP_WINANSI);
    return std::string(buf.data(), n);
}

HDDEDATA CALLBACK CDdeServer::Callback(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2,
                                       HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    // The DDE library calls in from the message loop: nothing may unwind into it.
    try {
        return Dispatch(type, fmt, conv, hsz1, hsz2, data);
    } catch (...) {
        return nullptr;
    }
}

HDDEDATA CDdeServer::Dispatch(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data) {
    CDdeServer* self = current_;
    if (!self) return nullptr;
    switch (type) {
        case XTYP_CONNECT: {
            std::string topic = self->Text(hsz1);
            return reinterpret_cast<HDDEDATA>(
                static_cast<ULONG_PTR>(lstrcmpiA(topic.c_str(), kDdeOpenUrlTopic) == 0 ||
                                       lstrcmpiA(topic.c_str(), kDdeCommandTopic) == 0));
        }
        case XTYP_REQUEST: {
            std::string topic = self->Text(hsz1);
            if (lstrcmpiA(topic.c_str(), kDdeCommandTopic) == 0) {
                if (self->onCommandLine_) self->onCommandLine_(self->Text(hsz2));
                return nullptr;
            }
            break;
        }
        default:
            break;
    }
    if (self->other_ && (type == XTYP_REQUEST || type == XTYP_POKE || type == XTYP_EXECUTE ||
                         type == XTYP_ADVSTART || type == XTYP_REGISTER))
        return self->other_(type, fmt, conv, self->Text(hsz1), self->Text(hsz2), data);
    return nullptr;
}

}  // namespace ks
