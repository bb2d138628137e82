// Choosing font files for a board's font with fontconfig: the face a font
// name stands for, and per character the face that has it when that one
// does not.
#pragma once

#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace miaoyu::compose {

// A face in a font file.
struct FaceSource {
  std::string file;
  int index = 0;

  bool operator==(const FaceSource&) const = default;
};

// One name, weight and slant resolved: the face itself and the ordered list
// of faces that fontconfig offers for characters it lacks.
class FontFamily {
 public:
  struct Fallback {
    FaceSource face;
    FcCharSet* charset;  // owned
  };

  FontFamily(FaceSource primary, std::vector<Fallback> fallbacks);
  ~FontFamily();
  FontFamily(const FontFamily&) = delete;
  FontFamily& operator=(const FontFamily&) = delete;

  const FaceSource& primary() const { return primary_; }

  // The first fallback face whose character map has `c`, or nullptr when no
  // font has it. Answers are kept, so each character costs one search.
  const FaceSource* fallback_for(char32_t c);

 private:
  FaceSource primary_;
  std::vector<Fallback> fallbacks_;
  std::unordered_map<char32_t, int> chosen_;  // index into fallbacks_, -1: none
};

class FontResolver {
 public:
  FontResolver();
  ~FontResolver();
  FontResolver(const FontResolver&) = delete;
  FontResolver& operator=(const FontResolver&) = delete;

  // The family for a board font's GBK name (empty or 32 bytes and longer
  // mean "宋体"); nullptr only when fontconfig finds no font at all. The
  // pointer stays valid for the resolver's life.
  FontFamily* resolve(std::string_view gbk_name, bool bold, bool italic);

 private:
  FcConfig* config_;
  std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<FontFamily>> families_;
};

}  // namespace miaoyu::compose
