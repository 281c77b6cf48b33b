#pragma once
// CTransferProgress: the small modal window that "Alles Abfragen" and "Alles Senden" show
// while their telegrams go out. It counts the telegrams the link reports, keeps the program's
// windows painted between them and cannot be closed or cancelled: the operation runs to its
// end (or its first failure) on the caller's thread.
#include <QDialog>
#include <cstdint>

class QLabel;
class QProgressBar;

namespace veltrin::ui {

class CTransferProgress : public QDialog {
    Q_OBJECT
public:
    /// Shows itself at once and watches the program's link until it is destroyed.
    CTransferProgress(QWidget* owner, const QString& text, int expectedTelegrams);
    ~CTransferProgress() override;

    int Telegrams() const { return count_; }
    /// Counts one telegram (code byte first) and repaints.
    void OnTelegram(const std::uint8_t* telegram, int length);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* step_;
    QProgressBar* bar_;
    int count_ = 0;
};

}  // namespace veltrin::ui
