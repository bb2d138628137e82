// The information box: the program's only way of telling the user anything.
#pragma once

#include <string_view>

namespace miaoyu::compose {

class InformationBox {
 public:
  virtual ~InformationBox() = default;

  // Shows the GBK text in a box titled "信息：" with one OK button and no
  // icon, modal for the whole program, and returns once it is closed.
  virtual void show_information(std::string_view text) = 0;
};

}  // namespace miaoyu::compose
