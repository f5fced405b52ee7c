#pragma once
#include <windows.h>

#include <string>

#include "shared/ScopedHandle.h"

// Programs, documents, folders and links started for the player. The manager runs with
// administrator rights; what it starts for the player runs with the player's normal rights, as if
// the player had started it from the desktop.

// "/" separators become "\".
std::wstring NativePath(std::wstring path);

// A command line split into the executable it starts and the arguments it gives it.
struct CommandParts {
    std::wstring executable;
    std::wstring arguments;
};
// The executable is the quoted first part, or else the longest leading part, ending before a
// blank, that names an existing file; else the text up to the first blank. The arguments keep
// their own spelling ("/S" stays "/S").
CommandParts SplitCommand(const std::wstring& command);

// `text` as one argument of a command line: quoted when it holds a blank or a quote.
std::wstring QuoteArgument(const std::wstring& text);

// What a start gave: the started process, or the error that kept it from starting. A start the
// system completed elsewhere (a program that asks for elevation may be started without a handle)
// has neither.
struct StartedProgram {
    ScopedHandle process;
    DWORD error = ERROR_SUCCESS;
    bool Started() const { return error == ERROR_SUCCESS; }
};

// Starts the program `executable` (a full path; a batch file too) with `arguments` in `folder`
// (the manager's working folder when empty), shown normally and inheriting no handle of the manager.
StartedProgram StartAsPlayer(const std::wstring& executable, const std::wstring& arguments,
                             const std::wstring& folder);

// Opens `target` as the shell's "open" would: a program starts, a shortcut starts what it points
// at, a folder shows, a document opens in the program associated with its type. `folder` is the
// working folder.
StartedProgram OpenAsPlayer(const std::wstring& target, const std::wstring& folder);

// Shows `folder` in the shell's folder window.
StartedProgram OpenFolderAsPlayer(const std::wstring& folder);

// Hands `url` to the player's default browser; only http and https links are handed over, and
// always as one argument. False when the link was refused or no browser could be started.
bool OpenWebLinkAsPlayer(const std::wstring& url);
