#include "online/WinInet.h"

#include "UiLib/Utils/LibraryFunction.h"

namespace {

using UiLib::BindLibraryFunction;

bool BindAll(HMODULE library, WinInetFunctions& functions) {
    return BindLibraryFunction(library, "InternetOpenW", functions.open) &&
           BindLibraryFunction(library, "InternetConnectW", functions.connect) &&
           BindLibraryFunction(library, "InternetSetOptionW", functions.setOption) &&
           BindLibraryFunction(library, "InternetCloseHandle", functions.closeHandle) &&
           BindLibraryFunction(library, "InternetReadFile", functions.readFile) &&
           BindLibraryFunction(library, "InternetQueryDataAvailable", functions.queryDataAvailable) &&
           BindLibraryFunction(library, "InternetCrackUrlW", functions.crackUrl) &&
           BindLibraryFunction(library, "InternetCheckConnectionW", functions.checkConnection) &&
           BindLibraryFunction(library, "HttpOpenRequestW", functions.openRequest) &&
           BindLibraryFunction(library, "HttpAddRequestHeadersW", functions.addRequestHeaders) &&
           BindLibraryFunction(library, "HttpSendRequestW", functions.sendRequest) &&
           BindLibraryFunction(library, "HttpQueryInfoW", functions.queryInfo);
}

}  // namespace

const WinInetFunctions* WinInet() { return UiLib::LibraryTable(L"wininet.dll", &BindAll); }
