#pragma once
// CLanguageDialog (147, "Sprache"): 1151 "Deutsch" (index 0), 1152 "English" (index 1).
#include "ui/main/ChoiceDialog.h"

namespace veltrin::ui {

class CLanguageDialog : public CChoiceDialog {
    Q_OBJECT
public:
    explicit CLanguageDialog(QWidget* parent = nullptr);
};

}  // namespace veltrin::ui
