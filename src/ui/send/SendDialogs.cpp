#include "ui/send/SendDialogs.h"

namespace veltrin::ui {

void RunSendDialog(int commandId, QWidget* owner) {
    (void)commandId;
    (void)owner;
}

}  // namespace veltrin::ui
