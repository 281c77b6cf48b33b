#pragma once
// QueryDialog: a dialog that reads one parameter group from the encoder while it opens and
// shows it as static texts. The read runs before the window is shown; when it fails, only the
// message box with the device-error text appears and the window never shows.
#include <QString>
#include <array>
#include <cstdint>

#include "ui/common/ParameterDialog.h"

namespace veltrin::ui {

class QueryDialog : public ParameterDialog {
    Q_OBJECT
public:
    QueryDialog(int dialogId, const QString& helpTopic, QWidget* parent = nullptr);

    /// Reads the group under the wait cursor and fills the value fields. On failure the fields
    /// are left as they are, the result is Rejected and the device-error text has been shown
    /// (over the dialog's parent, since the dialog itself is not on screen).
    bool ShowValues();

    // The texts of the values, as every query dialog shows them.
    static QString Number(std::int64_t value);                  ///< "%d"
    static QString OnOff(std::int32_t flag);                     ///< "An" / "Aus"
    /// Input levels of the external inputs and status-bit levels alike: a set bit is "Aktiv 1".
    static QString Level(std::int32_t bit);
    static QString PositionChar(std::int32_t character);         ///< "%c"
    /// The firmware's four characters as a version "vv.vv"; a failed read is 00.00.
    static QString FirmwareVersion(const std::array<char, 4>& characters, bool readOk);

protected:
    /// Runs the dialog's query (with result records of its own) and, when it succeeded, sets
    /// the value fields. Returns false at once on a failed query, touching no field.
    virtual bool QueryAndFill() = 0;
};

}  // namespace veltrin::ui
