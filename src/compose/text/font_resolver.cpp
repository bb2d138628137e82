#include "compose/text/font_resolver.hpp"

#include <array>

#include "catalogue/gbk.hpp"
#include "compose/text/font_value.hpp"

namespace miaoyu::compose {
namespace {

// Names at least this long are not names a board font can carry.
constexpr std::size_t kMaxNameBytes = 32;

// Captions are Chinese: fontconfig is asked for faces that cover zh-cn, so an
// unknown name still lands on a CJK face and the fallbacks rank CJK first.
constexpr const char* kLang = "zh-cn";

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

struct FontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
using FontSet = std::unique_ptr<FcFontSet, FontSetDeleter>;

// The two Chinese names the program uses, each with the families that
// stand for it in order of preference and the generic family behind them.
struct KnownName {
  const char* gbk;
  std::array<const char*, 3> families;
  const char* generic;
};

constexpr std::array kKnownNames = {
    KnownName{kHeiTi, {"SimHei", "Noto Sans CJK SC", "WenQuanYi Zen Hei"}, "sans-serif"},
    KnownName{kSongTi, {"SimSun", "Noto Serif CJK SC", "AR PL UMing CN"}, "serif"},
};

Pattern request(const std::string& family, bool bold, bool italic, FcConfig* config) {
  Pattern p{FcPatternCreate()};
  FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(p.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(p.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddString(p.get(), FC_LANG, reinterpret_cast<const FcChar8*>(kLang));
  FcPatternAddBool(p.get(), FC_OUTLINE, FcTrue);
  FcConfigSubstitute(config, p.get(), FcMatchPattern);
  FcDefaultSubstitute(p.get());
  return p;
}

bool is_outline(const FcPattern* font) {
  FcBool outline = FcFalse;
  return FcPatternGetBool(font, FC_OUTLINE, 0, &outline) == FcResultMatch && outline;
}

// The face a font pattern names; false when it names no file. Its weight
// and slant are read from the face itself later: fontconfig's synthetic
// rules rewrite them in a match.
bool source_of(const FcPattern* font, FaceSource& source) {
  FcChar8* file = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || file == nullptr) return false;
  source.file = reinterpret_cast<const char*>(file);
  int index = 0;
  FcPatternGetInteger(font, FC_INDEX, 0, &index);
  source.index = index;
  return true;
}

bool has_family(const FcPattern* font, const char* family) {
  FcChar8* name = nullptr;
  for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
    if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) return true;
  }
  return false;
}

}  // namespace

FontFamily::FontFamily(FaceSource primary, std::vector<Fallback> fallbacks)
    : primary_(std::move(primary)), fallbacks_(std::move(fallbacks)) {}

FontFamily::~FontFamily() {
  for (const Fallback& f : fallbacks_) FcCharSetDestroy(f.charset);
}

const FaceSource* FontFamily::fallback_for(char32_t c) {
  auto [it, inserted] = chosen_.try_emplace(c, -1);
  if (inserted) {
    for (std::size_t i = 0; i < fallbacks_.size(); ++i) {
      if (FcCharSetHasChar(fallbacks_[i].charset, c)) {
        it->second = static_cast<int>(i);
        break;
      }
    }
  }
  return it->second < 0 ? nullptr : &fallbacks_[static_cast<std::size_t>(it->second)].face;
}

FontResolver::FontResolver() : config_(FcInitLoadConfigAndFonts()) {}

FontResolver::~FontResolver() {
  families_.clear();
  if (config_ != nullptr) FcConfigDestroy(config_);
}

FontFamily* FontResolver::resolve(std::string_view gbk_name, bool bold, bool italic) {
  const std::string_view name =
      gbk_name.empty() || gbk_name.size() >= kMaxNameBytes ? std::string_view{kSongTi} : gbk_name;
  auto key = std::make_tuple(std::string{name}, bold, italic);
  if (auto it = families_.find(key); it != families_.end()) return it->second.get();
  if (config_ == nullptr) return nullptr;

  // Named families must really be installed (fontconfig always answers with
  // something); the last candidate, generic or the name itself, takes what
  // fontconfig gives.
  std::vector<std::string> candidates;
  for (const KnownName& known : kKnownNames) {
    if (name == known.gbk) {
      candidates.assign(known.families.begin(), known.families.end());
      candidates.emplace_back(known.generic);
    }
  }
  if (candidates.empty()) candidates.push_back(gbk_to_utf8(name));

  FaceSource primary;
  bool found = false;
  Pattern chosen_request;
  for (std::size_t i = 0; i < candidates.size() && !found; ++i) {
    Pattern p = request(candidates[i], bold, italic, config_);
    FcResult result = FcResultNoMatch;
    Pattern match{FcFontMatch(config_, p.get(), &result)};
    const bool last = i + 1 == candidates.size();
    if (match && (last || has_family(match.get(), candidates[i].c_str()))) {
      found = source_of(match.get(), primary);
    }
    if (found || last) chosen_request = std::move(p);
  }

  std::vector<FontFamily::Fallback> fallbacks;
  FcResult result = FcResultNoMatch;
  FontSet sorted{FcFontSort(config_, chosen_request.get(), FcTrue, nullptr, &result)};
  for (int i = 0; sorted && i < sorted->nfont; ++i) {
    const FcPattern* font = sorted->fonts[i];
    FaceSource source;
    FcCharSet* charset = nullptr;
    if (!is_outline(font) || !source_of(font, source)) continue;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch) continue;
    fallbacks.push_back({std::move(source), FcCharSetCopy(charset)});
  }
  if (!found && !fallbacks.empty()) {
    primary = fallbacks.front().face;
    found = true;
  }

  auto family = found ? std::make_unique<FontFamily>(std::move(primary), std::move(fallbacks)) : nullptr;
  return families_.emplace(std::move(key), std::move(family)).first->second.get();
}

}  // namespace miaoyu::compose
