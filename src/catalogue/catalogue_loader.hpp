// Load catalogue: reads pz.ini in the program folder, template by template,
// into the template list.
#pragma once

#include <iosfwd>
#include <string_view>

#include "catalogue/template_list.hpp"

namespace miaoyu::catalogue {

// Section n of pz.ini (n = 1, 2, ...) gives row n - 1: its name, url, one,
// two and three, each read by its own lookup, fill cells 0 to 4. The first
// section whose name is "结束" ends the catalogue and gives no row; an absent
// section number gives a row of empty cells.
//
// Loading also ends, with one line on diagnostics that says why, when the
// file cannot be read, after its highest numbered section (a section named
// by a number from 1 to 2147483647 written as integer_to_text writes it),
// before a run of more than 1000 absent numbers, and before a run of absent
// numbers that would bring their total beyond 1000; the rows read so far stay.
void load_catalogue(TemplateList& list, std::string_view program_folder,
                    std::ostream& diagnostics);

}  // namespace miaoyu::catalogue
