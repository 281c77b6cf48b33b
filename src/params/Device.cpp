// The device commands (EEPROM store and load, RAM defaults) and the actual value.
#include "params/Exchange.h"
#include "params/Operations.h"

namespace veltrin {

bool StoreToEeprom(EncoderSession& session) { return detail::SendCommand(session.link, Kp::StoreToEeprom); }
bool LoadFromEeprom(EncoderSession& session) { return detail::SendCommand(session.link, Kp::LoadFromEeprom); }
bool SetRamDefaults(EncoderSession& session) { return detail::SendCommand(session.link, Kp::SetRamDefaults); }

bool QueryActualValue(EncoderSession& session, ActualValue& result) {
    Link& link = session.link;
    const EncoderParameters& p = session.parameters;
    result.statusBits = "0000000X";
    result.dataBits = "00000000 00000000 00000000";
    if (!detail::ReadParameter(link, Kp::ActualValue)) return false;
    const ReplyBlock& r = link.replyBlock;
    // Decoded with the configuration being edited, not the encoder's.
    result.value = ActualPositionValue(r.b(1), r.b(2), r.b(3), p.numberRepresentation, p.outputCode);
    result.statusBits = StatusBitText(r.b(4));
    result.dataBits = DataBitText(r.b(1), r.b(2), r.b(3));
    return true;
}

}  // namespace veltrin
