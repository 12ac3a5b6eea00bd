// An INI file as a list of lines, so that edits keep everything they do not
// touch. Internal to the platform library.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ini {

struct Document {
  std::vector<std::string> lines;  // without line ends
  std::string newline = "\r\n";    // the file's own line end, kept on rewrite
};

Document Parse(std::string_view bytes);
std::string Serialize(const Document& doc);

// Raw value text after '=' with surrounding blanks removed, or nullopt.
std::optional<std::string> Find(const Document& doc, std::string_view section,
                                std::string_view key);
std::vector<std::string> SectionNames(const Document& doc);
std::vector<std::string> KeyNames(const Document& doc, std::string_view section);

void Set(Document& doc, std::string_view section, std::string_view key, std::string_view value);
void RemoveKey(Document& doc, std::string_view section, std::string_view key);
void RemoveSection(Document& doc, std::string_view section);

}  // namespace platform::ini
