#include "style_bank.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace corvane {
namespace {

constexpr std::uintmax_t kMaxStyleFileBytes = 4u << 20;
constexpr int kMaxStyles = 4096;

}  // namespace

int StyleBank::Load(const std::string& data_dir) {
  const int loaded = LoadFolder(data_dir + "/styles", styles_);
  LoadFolder(data_dir + "/styles/dark", dark_styles_);
  return loaded;
}

int StyleBank::LoadFolder(const std::string& folder_name,
                          std::map<std::pair<int, int>, Style>& into) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path folder(folder_name);
  int loaded = 0;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (loaded >= kMaxStyles) break;
    const std::string name = it->path().filename().string();
    int b = -1, c = -1;
    char tail[8] = {};
    // style_%03d_%03d.mid exactly: two three-digit keys.
    if (name.size() != 17 || std::sscanf(name.c_str(), "style_%3d_%3d%7s", &b, &c, tail) != 3 ||
        std::string(tail) != ".mid") {
      continue;
    }
    std::error_code size_ec;
    const auto size = fs::file_size(it->path(), size_ec);
    if (size_ec || size > kMaxStyleFileBytes) continue;
    std::ifstream in(it->path(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (auto style = ParseStyle(bytes.data(), bytes.size())) {
      into[{b, c}] = std::move(*style);
      ++loaded;
    }
  }
  return loaded;
}

const Style* StyleBank::Find(int key_b, int key_c, bool dark) const {
  if (dark) {
    const auto variant = dark_styles_.find({key_b, key_c});
    if (variant != dark_styles_.end()) return &variant->second;
  }
  const auto it = styles_.find({key_b, key_c});
  return it == styles_.end() ? nullptr : &it->second;
}

void StyleBank::Add(int key_b, int key_c, Style style) {
  styles_[{key_b, key_c}] = std::move(style);
}

}  // namespace corvane
