// The scenes' encoders on Windows (under Wine): the Linux veltrin-sim behind the COM ports that
// scripts/screenshots.sh maps and names, the query scenes' one loaded with the values of a
// configuration by veltrin-cli send-all.
#include <QByteArray>

#include "ShotsEncoder.h"

namespace veltrin::shots {

std::string QueryEncoderDevice() { return qgetenv("VELTRIN_SHOTS_QUERY_PORT").toStdString(); }
std::string CompareEncoderDevice() { return qgetenv("VELTRIN_SHOTS_COMPARE_PORT").toStdString(); }

// The simulators behind the COM ports keep the values the other scenes read: the series scene
// programs none of them, its stations are ports where no adapter is.
std::vector<std::string> SeriesEncoderDevices(bool) { return {"COM8", "COM9"}; }

std::string ExampleAdapterDevice() { return "COM7"; }

}  // namespace veltrin::shots
