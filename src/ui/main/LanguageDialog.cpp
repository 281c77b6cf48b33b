#include "ui/main/LanguageDialog.h"

#include "ui/main/CommandIds.h"

namespace veltrin::ui {

CLanguageDialog::CLanguageDialog(QWidget* parent) : CChoiceDialog(IDD_LANGUAGE, 1151, 1152, parent) {}

}  // namespace veltrin::ui
