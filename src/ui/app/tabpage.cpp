#include "ui/app/tabpage.h"

namespace navora::ui {

TabPage::~TabPage() = default;

}  // namespace navora::ui
