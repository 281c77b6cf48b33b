#include "ui/query/QueryDialogs.h"

namespace veltrin::ui {

void RunQueryDialog(int commandId, QWidget* owner) {
    (void)commandId;
    (void)owner;
}

}  // namespace veltrin::ui
