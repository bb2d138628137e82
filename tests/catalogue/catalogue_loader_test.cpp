#include "catalogue/catalogue_loader.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/ini_file.hpp"
#include "support/memory_template_list.hpp"
#include "support/temp_folder.hpp"

namespace miaoyu::catalogue {
namespace {

using namespace std::string_literals;
using support::TempFolder;
using support::write_bytes;
using support::MemoryTemplateList;
using Row = std::array<std::string, TemplateList::kColumnCount>;

const std::string kEnd = "\xBD\xE1\xCA\xF8";  // 结束

std::string section(std::int64_t n, const Row& row) {
  return "[" + std::to_string(n) + "]\r\nname=" + row[0] + "\r\nurl=" + row[1] + "\r\none=" + row[2] +
         "\r\ntwo=" + row[3] + "\r\nthree=" + row[4] + "\r\n";
}

std::string terminator(std::int64_t n) { return "[" + std::to_string(n) + "]\r\nname=" + kEnd + "\r\n"; }

Row templ(int i) {
  // 模板 i
  return {"\xC4\xA3\xB0\xE5" + std::to_string(i), "p" + std::to_string(i) + ".png", std::to_string(10 + i),
          std::to_string(100 + i), std::to_string(200 + i)};
}

std::vector<Row> rows_of(const TemplateList& list) {
  std::vector<Row> rows;
  for (int r = 0; r < list.row_count(); ++r) {
    Row row;
    for (int c = 0; c < TemplateList::kColumnCount; ++c) row[c] = list.cell_text(r, c);
    rows.push_back(row);
  }
  return rows;
}

struct Loaded {
  MemoryTemplateList list;
  std::string diagnostics;
};

void load(const TempFolder& folder, Loaded& loaded) {
  std::ostringstream diagnostics;
  load_catalogue(loaded.list, folder.path(), diagnostics);
  loaded.diagnostics = diagnostics.str();
}

struct CatalogueCase {
  const char* what;
  std::string file;
  std::vector<Row> rows;
  // Empty when the terminator ends loading and nothing is said; otherwise a
  // part of the one line that says why loading stopped.
  std::string stop_reason;
};

void PrintTo(const CatalogueCase& c, std::ostream* out) { *out << c.what; }

class CatalogueLoad : public ::testing::TestWithParam<CatalogueCase> {};

TEST_P(CatalogueLoad, FillsTheListAndEnds) {
  const CatalogueCase& c = GetParam();
  const TempFolder folder;
  write_bytes(folder.file("pz.ini"), c.file);
  Loaded loaded;
  load(folder, loaded);

  EXPECT_EQ(rows_of(loaded.list), c.rows) << c.what;
  EXPECT_EQ(loaded.list.selected_row(), -1);
  EXPECT_EQ(loaded.list.row_focus_events(), 0) << "appending rows raised the row-focus event";
  if (c.stop_reason.empty()) {
    EXPECT_EQ(loaded.diagnostics, "") << c.what;
  } else {
    EXPECT_EQ(std::count(loaded.diagnostics.begin(), loaded.diagnostics.end(), '\n'), 1) << loaded.diagnostics;
    EXPECT_TRUE(loaded.diagnostics.ends_with("\n")) << loaded.diagnostics;
    EXPECT_NE(loaded.diagnostics.find(c.stop_reason), std::string::npos) << loaded.diagnostics;
  }
}

std::string repeat_sections(std::int64_t first, std::int64_t last) {
  std::string text;
  for (std::int64_t n = first; n <= last; ++n) text += section(n, templ(static_cast<int>(n)));
  return text;
}

std::vector<Row> templates(std::int64_t first, std::int64_t last) {
  std::vector<Row> rows;
  for (std::int64_t n = first; n <= last; ++n) rows.push_back(templ(static_cast<int>(n)));
  return rows;
}

std::vector<Row> operator+(std::vector<Row> a, const std::vector<Row>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<Row> empty_rows(std::size_t count) { return std::vector<Row>(count); }

const std::string kLongName(20000, 'n');

INSTANTIATE_TEST_SUITE_P(
    Catalogues, CatalogueLoad,
    ::testing::Values(
        CatalogueCase{"terminator in section 1", terminator(1) + section(2, templ(2)), {}, ""},
        CatalogueCase{"three templates and the terminator",
                      section(1, templ(1)) + section(2, templ(2)) + section(3, templ(3)) + terminator(4),
                      templates(1, 3), ""},
        CatalogueCase{"order of sections in the file plays no part",
                      terminator(3) + section(2, templ(2)) + section(1, templ(1)), templates(1, 2), ""},
        CatalogueCase{"absent section 2 gives a row of empty cells",
                      section(1, templ(1)) + section(3, templ(3)) + terminator(4),
                      templates(1, 1) + empty_rows(1) + templates(3, 3), ""},
        CatalogueCase{"absent keys give empty cells", "[1]\nurl=a.png\n" + terminator(2),
                      {Row{"", "a.png", "", "", ""}}, ""},
        CatalogueCase{"terminator in section 3 hides later sections",
                      section(1, templ(1)) + section(2, templ(2)) + terminator(3) + section(4, templ(4)) +
                          terminator(5),
                      templates(1, 2), ""},
        CatalogueCase{"the terminator's other keys are not read",
                      "[1]\nname=" + kEnd + "\nurl=x.png\n", {}, ""},
        CatalogueCase{"names that only begin with 结束 or are 结束 in UTF-8 are templates",
                      "[1]\nname=" + kEnd + "!\n[2]\nname=\xE7\xBB\x93\xE6\x9D\x9F\n[3]\nname=\"" + kEnd +
                          "\"\n",
                      {Row{kEnd + "!", "", "", "", ""}, Row{"\xE7\xBB\x93\xE6\x9D\x9F", "", "", "", ""}}, ""},
        CatalogueCase{"terminator matched after the reader's trimming and case rules",
                      "[1]\nNAME = " + kEnd + " \n", {}, ""},
        CatalogueCase{"section 01 is not section 1",
                      "[01]\nname=zero one\n" + section(2, templ(2)) + terminator(3),
                      empty_rows(1) + templates(2, 2), ""},
        CatalogueCase{"a value beyond 10239 bytes is cut",
                      section(1, Row{kLongName, "u", "1", "2", "3"}) + terminator(2),
                      {Row{kLongName.substr(0, 10239), "u", "1", "2", "3"}}, ""},
        CatalogueCase{"no terminator: stops after the highest numbered section",
                      section(1, templ(1)) + section(2, templ(2)) + "[x]\nname=x\n[+3]\n[ 4x]\n[-5]\n[2147483648]\n",
                      templates(1, 2), "highest numbered section, 2"},
        CatalogueCase{"blanks inside the brackets still make a numbered section",
                      section(1, templ(1)) + "[ 2 ]\nname=b\n", templates(1, 1) + std::vector<Row>{Row{"b"}},
                      "highest numbered section, 2"},
        CatalogueCase{"no numbered section at all", "[a]\nname=a\n", {}, "no numbered sections"},
        CatalogueCase{"a gap of 1000 numbers gives its empty rows",
                      section(1, templ(1)) + section(1002, templ(1002)) + terminator(1003),
                      templates(1, 1) + empty_rows(1000) + templates(1002, 1002), ""},
        CatalogueCase{"a gap of 1001 numbers ends the catalogue before it",
                      section(1, templ(1)) + section(1003, templ(1003)) + terminator(1004), templates(1, 1),
                      "lacks sections 2 to 1002 (1001 numbers, more than 1000 in a row); loading stopped after "
                      "section 1"},
        CatalogueCase{"gaps may not add up to more than 1000 numbers",
                      section(1, templ(1)) + section(601, templ(601)) + section(1202, templ(1202)) +
                          terminator(1203),
                      templates(1, 1) + empty_rows(599) + templates(601, 601),
                      "lacks sections 602 to 1201 (600 numbers, which would make more than 1000 missing in all)"},
        CatalogueCase{"section 2147483647 alone", "[2147483647]\nname=far\n", {},
                      "lacks sections 1 to 2147483646"},
        CatalogueCase{"section 1 and section 2147483647", section(1, templ(1)) + "[2147483647]\nname=far\n",
                      templates(1, 1), "lacks sections 2 to 2147483646"},
        CatalogueCase{"NUL bytes in the catalogue",
                      "[1]\nname=a\0b\nurl=\0\n[2\0]\nname=x\n[3]\nname=c\n"s + terminator(4),
                      {Row{"a"}, Row{}, Row{"c"}}, ""},
        CatalogueCase{"empty file", "", {}, "no numbered sections"}));

TEST(CatalogueLoaderTest, MissingFileGivesAnEmptyListAndOneLine) {
  const TempFolder folder;
  Loaded loaded;
  load(folder, loaded);
  EXPECT_EQ(loaded.list.row_count(), 0);
  EXPECT_EQ(loaded.diagnostics, "miaoyu: cannot read the catalogue " + folder.file("pz.ini") +
                                    " (No such file or directory); the template list is empty\n");
}

TEST(CatalogueLoaderTest, FileBeyondTheSizeLimitIsNotReadAndSaysSo) {
  const TempFolder folder;
  write_bytes(folder.file("pz.ini"), section(1, templ(1)));
  // Sparse, so the test needs no disk space for it.
  std::filesystem::resize_file(folder.file("pz.ini"), kMaxIniFileSize + 1);
  Loaded loaded;
  load(folder, loaded);
  EXPECT_EQ(loaded.list.row_count(), 0);
  EXPECT_EQ(loaded.diagnostics, "miaoyu: cannot read the catalogue " + folder.file("pz.ini") + " (larger than " +
                                    std::to_string(kMaxIniFileSize) + " bytes); the template list is empty\n");
}

TEST(CatalogueLoaderTest, LoadedRowsReadBackThroughTheListOperations) {
  const TempFolder folder;
  write_bytes(folder.file("pz.ini"), repeat_sections(1, 3) + terminator(4));
  Loaded loaded;
  load(folder, loaded);
  MemoryTemplateList& list = loaded.list;
  ASSERT_EQ(list.row_count(), 3);

  EXPECT_EQ(list.cell_text(2, 0), templ(3)[0]);
  EXPECT_EQ(list.cell_text(2, 4), templ(3)[4]);
  const struct {
    int row, column;
  } outside[] = {{-1, 0}, {3, 0}, {0, -1}, {0, 5}, {-1, -1}};
  for (const auto& o : outside) EXPECT_EQ(list.cell_text(o.row, o.column), "") << o.row << "," << o.column;

  list.set_cell_text(3, 0, "x");
  list.set_cell_text(-1, 0, "x");
  list.set_cell_text(0, 5, "x");
  EXPECT_EQ(rows_of(list), templates(1, 3));
  EXPECT_EQ(list.append_row(), 3);

  int handled = 0;
  list.on_row_focus([&] { ++handled; });
  list.click_row(1);
  list.click_row(1);
  list.click_row(7);
  EXPECT_EQ(list.selected_row(), 1);
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(list.row_focus_events(), 1);
}

TEST(CatalogueLoaderTest, BinaryFileEndsWithOneLine) {
  std::mt19937 random(20261211);
  std::string bytes(1 << 20, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  // Sections scattered through the noise make the loader walk its rules.
  for (int n : {1, 2, 5, 700, 1500}) bytes.replace(static_cast<std::size_t>(n) * 500, 8, "\n[" + std::to_string(n) + "]\n");
  const TempFolder folder;
  write_bytes(folder.file("pz.ini"), bytes);
  Loaded loaded;
  load(folder, loaded);
  EXPECT_EQ(loaded.list.row_count(), 700);
  EXPECT_NE(loaded.diagnostics.find("lacks sections 701 to 1499"), std::string::npos) << loaded.diagnostics;
}

TEST(CatalogueLoaderTest, HugeFileWithLongLinesLoadsItsTemplates) {
  const std::string long_line(1 << 20, 'w');
  std::string bytes = "[1]\nname=" + long_line + "\n" + long_line + "\n[" + long_line + "]\n" + long_line + "=x\n" +
                      section(2, templ(2)) + "[3]\nurl=";
  const std::size_t huge = 100u << 20;
  bytes.resize(bytes.size() + huge, 'u');
  bytes += "\n" + terminator(4);
  const TempFolder folder;
  write_bytes(folder.file("pz.ini"), bytes);
  Loaded loaded;
  load(folder, loaded);
  EXPECT_EQ(rows_of(loaded.list), (std::vector<Row>{Row{long_line.substr(0, 10239)}, templ(2),
                                                     Row{"", std::string(10239, 'u')}}));
  EXPECT_EQ(loaded.diagnostics, "");
}

TEST(CatalogueLoaderTest, SampleCatalogueNamesItsPictures) {
  const auto data = (std::filesystem::path(MIAOYU_FIXTURES) / "../../../data").lexically_normal();
  Loaded loaded;
  std::ostringstream diagnostics;
  load_catalogue(loaded.list, data.string(), diagnostics);
  EXPECT_EQ(diagnostics.str(), "");
  ASSERT_EQ(loaded.list.row_count(), 5);
  for (int r = 0; r < 5; ++r) {
    EXPECT_FALSE(loaded.list.cell_text(r, 0).empty()) << r;
    EXPECT_TRUE(std::filesystem::is_regular_file(data / "img" / loaded.list.cell_text(r, 1))) << r;
    int previous = 0;
    for (int c = 2; c < 5; ++c) {
      const int top = std::stoi(loaded.list.cell_text(r, c));
      EXPECT_GT(top, previous) << r << "," << c;
      previous = top;
    }
  }
}

}  // namespace
}  // namespace miaoyu::catalogue
