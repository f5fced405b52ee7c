#include "app/WinSock.h"

#include "UiLib/Utils/LibraryFunction.h"

namespace {

using UiLib::BindLibraryFunction;

bool BindAll(HMODULE library, WinSockFunctions& functions) {
    return BindLibraryFunction(library, "WSAStartup", functions.startup) &&
           BindLibraryFunction(library, "WSACleanup", functions.cleanup) &&
           BindLibraryFunction(library, "WSAAsyncSelect", functions.asyncSelect) &&
           BindLibraryFunction(library, "WSAGetLastError", functions.lastError) &&
           BindLibraryFunction(library, "socket", functions.socket) &&
           BindLibraryFunction(library, "bind", functions.bind) &&
           BindLibraryFunction(library, "listen", functions.listen) &&
           BindLibraryFunction(library, "accept", functions.accept) &&
           BindLibraryFunction(library, "connect", functions.connect) &&
           BindLibraryFunction(library, "send", functions.send) &&
           BindLibraryFunction(library, "recv", functions.recv) &&
           BindLibraryFunction(library, "closesocket", functions.closeSocket) &&
           BindLibraryFunction(library, "getsockname", functions.getSockName) &&
           BindLibraryFunction(library, "htons", functions.hostToNetwork16) &&
           BindLibraryFunction(library, "htonl", functions.hostToNetwork32) &&
           BindLibraryFunction(library, "ntohs", functions.networkToHost16);
}

}  // namespace

const WinSockFunctions* WinSock() { return UiLib::LibraryTable(L"ws2_32.dll", &BindAll); }
