#include "params/EncoderParameters.h"

#include <cstring>

#include "params/EncoderSession.h"

namespace veltrin {

void InitEncoderParameters(EncoderSession& session) {
    Link& link = session.link;
    // Channels 0 and 1: three attempts, 200 ms between the characters of a block, 550 ms for
    // the partner's STX or DLE. Channel 2 is not used and stays zero.
    for (int ch = 0; ch < 2; ++ch) {
        link.timing.retryCount[static_cast<std::size_t>(ch)] = 3;
        link.timing.charTimeoutMs[static_cast<std::size_t>(ch)] = 200;
        link.timing.handshakeTimeoutMs[static_cast<std::size_t>(ch)] = 550;
    }
    link.timing.retryCount[2] = 0;
    link.timing.charTimeoutMs[2] = 0;
    link.timing.handshakeTimeoutMs[2] = 0;

    session.statusBitOwners.fill(0);
    session.parameters = DefaultEncoderParameters();
}

EncoderParameters DefaultEncoderParameters() {
    EncoderParameters p;
    std::memset(&p, 0, sizeof p);
    p.presetReplyBit5Clear = 1;
    p.presetReplyBit6Clear = 1;
    p.debounceTime = 255;
    std::memcpy(p.scalingFactorText, "1.0000000", sizeof "1.0000000");  // with its terminator
    p.measuringSteps = 1;
    p.revolutions = 1;
    p.limit1BitPosition = 8;
    p.limit2BitPosition = 8;
    p.limit3BitPosition = 8;
    p.limit4BitPosition = 8;
    p.overspeedBitPosition = 8;
    p.standstillBitPosition = 8;
    p.parityBitPosition = 8;
    p.encoderErrorBitPosition = 8;
    p.directionBitPosition = 8;
    p.reserved7A = 3;
    p.bitsS = 12;
    p.bitsU = 12;
    p.bitsTotal = 24;
    p.overspeedValue = 100;
    return p;
}

}  // namespace veltrin
