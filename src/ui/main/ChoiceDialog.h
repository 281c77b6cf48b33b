#pragma once
// The two settings dialogs that choose one of two radio buttons: CPortDialog (143,
// "Schnittstelle": COM 1, COM 2) and CLanguageDialog (147, "Sprache": Deutsch, English).
// Each holds the index of the selected button, set before it opens and read when it closes;
// no button selected reads as -1.
#include <QDialog>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace veltrin::ui {

class CChoiceDialog : public QDialog {
    Q_OBJECT
public:
    /// dialogId: the resource of title and texts; firstId, secondId: the two radio buttons.
    CChoiceDialog(int dialogId, int firstId, int secondId, QWidget* parent = nullptr);

    void SetChoice(int index);
    int Choice() const;
    QRadioButton* Button(int index) const;

protected:
    /// Rows beside the buttons (the port dialog puts its devices there).
    QGridLayout* Grid() const { return grid_; }
    QString Text(const char* name) const;

private:
    int dialogId_;
    QButtonGroup* group_;
    QGridLayout* grid_;
};

}  // namespace veltrin::ui
