#pragma once
#include <string>

class TiXmlDocument;

// Bigger files than this are refused unread: none of the program's files comes near it, and a
// planted giant would only cost memory and time.
constexpr long long kMaxXmlFileBytes = 4 << 20;

// Reads a whole file; false when it cannot be opened or read, or is bigger than kMaxXmlFileBytes.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

// Writes `bytes` beside `path` and then replaces `path` in one step, so that a crash or a full
// disk during the write leaves the old file intact.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes);

// Parses a UTF-8 XML file into `document`; false when it is missing, too big or does not parse.
bool LoadXmlDocument(TiXmlDocument& document, const std::wstring& path);

// The bytes of `document` as the file holds them.
std::string PrintXmlDocument(const TiXmlDocument& document);

// Prints `document` and replaces the file at `path` with it in one step.
bool SaveXmlDocument(const TiXmlDocument& document, const std::wstring& path);
