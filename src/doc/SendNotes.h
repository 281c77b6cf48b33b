#pragma once
// The texts of what a send has to tell beyond its result (params/Operations.h, SendReport): the
// parameter the encoder refused, the status bits withheld because their position has another
// owner, a scaling selection that names no scaling. The program, veltrin-cli and the record of
// `program` show the same texts, from the resources in force.
#include <string>

#include "link/Link.h"
#include "params/Catalogue.h"
#include "params/Operations.h"

namespace veltrin {

/// The parameter as the dialogs name it: "Skalierungsfaktor", "Statusbit Grenzwert 3".
std::string ParameterName(Kp kp);
/// A status-bit owner (1-4 the limits, 5-9 the status-bit group): "Grenzwert 1", "Überdrehzahl".
std::string StatusBitOwnerText(std::int32_t owner);

/// "Parameter: Skalierungsfaktor (KP 8)" when the encoder refused the telegram that failed
/// (its NAK, the reason fetched: link.deviceError.nakReceived); empty otherwise (no answer,
/// the port, a stop, no failed telegram).
std::string RefusedParameterText(const SendReport& report, const Link& link);
/// "Parameter: Skalierungsfaktor (KP 8)" for kp.
std::string RefusedParameterText(Kp kp);

/// The message of a failed send: for a scaling selection above 2 that reason alone (the
/// link's error state is older than this send); otherwise the device-error text, and under
/// it the refused parameter when there is one.
std::string SendFailureText(const SendReport& report, const Link& link);

/// "Nicht gesendet, da die Bitposition belegt ist: Überdrehzahl (Bitposition 3, belegt durch
/// Grenzwert 1)"; empty when nothing was withheld.
std::string WithheldText(const SendReport& report);

}  // namespace veltrin
