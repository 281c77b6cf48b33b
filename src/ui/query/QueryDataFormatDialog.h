#pragma once
#include <QString>
#include <array>
#include <cstdint>

#include "ui/query/QueryDialog.h"

namespace veltrin::ui {

/// "Geber Datenformat": frame length, number representation, output code and format, the
/// split of the bits; in the extended mode also the position shift and, when the encoder
/// answers, its configuration registers.
class CQueryDataFormatDialog : public QueryDialog {
    Q_OBJECT
public:
    explicit CQueryDataFormatDialog(QWidget* parent = nullptr);

    /// "R10:00 R11:1F R12:A0 R13:03 ": each register as "R<n>:<hex> ", so the text ends blank.
    static QString RegisterText(const std::array<std::uint8_t, 4>& bytes, const std::array<int, 4>& numbers);

protected:
    bool QueryAndFill() override;
};

}  // namespace veltrin::ui
