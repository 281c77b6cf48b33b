// The query dialogs read the simulated encoder and show its values by their text rules; a
// failed read shows only the device-error message and never the dialog.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <map>
#include <sstream>

#include "QueryFixture.h"
#include "app/AppSession.h"
#include "res/Resources.h"
#include "ui/query/ActualValueDialog.h"
#include "ui/query/QueryCountDirectionDialog.h"
#include "ui/query/QueryDataFormatDialog.h"
#include "ui/query/QueryDialogs.h"
#include "ui/query/QueryLimitsDialog.h"
#include "ui/query/QueryPresetsDialog.h"
#include "ui/query/QueryScalingDialog.h"
#include "ui/query/QueryStatusBitsDialog.h"

using namespace veltrin;
using namespace veltrin::ui;
using veltrin::test::QueryOnSimulator;

namespace {

QString TextOf(const ParameterDialog& dialog, int controlId) {
    auto* label = dialog.Control<QLabel>(controlId);
    return label ? label->text() : QStringLiteral("<no control %1>").arg(controlId);
}
bool Visible(const ParameterDialog& dialog, int controlId) {
    auto* w = dialog.Control(controlId);
    return w && !w->isHidden();
}

}  // namespace

using QueryPresetsDialog = QueryOnSimulator;

TEST_F(QueryPresetsDialog, ShowsTheValuesAndTheFirmwareVersion) {
    sim.SetReplyBytes(1, {0xFF, 0xFF, 0xFE});   // -2
    sim.SetReplyBytes(2, {0x00, 0x01, 0x00});   // 256
    sim.SetReplyBytes(32, {0x02, 0x01, 0x00});  // on, level bit set
    sim.SetReplyBytes(3, {0x80, 0x00, 0x00});   // -8388608
    sim.SetReplyBytes(33, {0x00, 0x00, 0x00});  // off, level bit clear
    sim.SetReplyBytes(23, {0xFF, 0x00, 0x00});  // 255
    sim.SetReplyBytes(4, {0x7F, 0xFF, 0xFF});   // 8388607
    sim.SetReplyBytes(39, {0x04, 0x00, 0x00});  // length measurement on

    const std::map<std::string, QString> firmware = {
        {"0104", "01.04"}, {"1234", "12.34"}, {"12:4", "00.12"}, {"A104", "00.00"}};
    for (const auto& [reply, shownAs] : firmware) {
        SCOPED_TRACE(reply);
        sim.SetReplyBytes(31, std::vector<std::uint8_t>(reply.begin(), reply.end()));
        CQueryPresetsDialog dialog;
        ASSERT_TRUE(dialog.ShowValues());
        EXPECT_EQ(TextOf(dialog, 1098), shownAs);
        EXPECT_EQ(TextOf(dialog, 1090), "-2");
        EXPECT_EQ(TextOf(dialog, 1091), "256");
        EXPECT_EQ(TextOf(dialog, 1092), "An");
        EXPECT_EQ(TextOf(dialog, 1093), "-8388608");
        EXPECT_EQ(TextOf(dialog, 1094), "Aus");
        EXPECT_EQ(TextOf(dialog, 1097), "255");
        EXPECT_EQ(TextOf(dialog, 1095), "8388607");
        EXPECT_EQ(TextOf(dialog, 1096), "An");
        // Outside the extended mode the level fields say nothing: 1099 empty, 1100 hidden.
        EXPECT_TRUE(Visible(dialog, 1099));
        EXPECT_EQ(TextOf(dialog, 1099), "");
        EXPECT_FALSE(Visible(dialog, 1100));
    }
    EXPECT_EQ(ReadKps().size(), 4u * 9u);  // firmware, then the eight presets KPs, each time
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(QueryPresetsDialog, ExtendedModeShowsTheInputLevels) {
    sim.SetReplyBytes(32, {0x02, 0x01, 0x00});
    sim.SetReplyBytes(33, {0x04, 0x00, 0x00});
    ExtendedMode = 1;
    CQueryPresetsDialog dialog;
    ASSERT_TRUE(dialog.ShowValues());
    EXPECT_TRUE(Visible(dialog, 1099));
    EXPECT_TRUE(Visible(dialog, 1100));
    EXPECT_EQ(TextOf(dialog, 1099), "Aktiv 1");  // set bit: the input is active high
    EXPECT_EQ(TextOf(dialog, 1100), "Aktiv 0");
    EXPECT_EQ(TextOf(dialog, 1094), "An");
}

using QueryScalingDialog = QueryOnSimulator;

TEST_F(QueryScalingDialog, FactorWithSixDecimalsAndTheCounts_ReadAnewOnEveryOpening) {
    sim.SetReplyBytes(8, {0xFF, 0xFF, 0xFD});
    sim.SetReplyBytes(10, {0x00, 0x10, 0x00});
    sim.SetReplyBytes(11, {0xFF, 0xFF, 0xFF});
    sim.SetReplyBytes(9, {0x00, 0x00, 0x01});
    {
        CQueryScalingDialog dialog;
        ASSERT_TRUE(dialog.ShowValues());
        EXPECT_EQ(TextOf(dialog, 1097), "1.000000");
        EXPECT_EQ(TextOf(dialog, 1098), "4096");
        EXPECT_EQ(TextOf(dialog, 1099), "16777215");
        EXPECT_EQ(TextOf(dialog, 1100), "1");
    }
    sim.SetReplyBytes(8, {0x80, 0x00, 0x00});  // 8388608: one half
    CQueryScalingDialog second;
    ASSERT_TRUE(second.ShowValues());
    EXPECT_EQ(TextOf(second, 1097), "0.500000");
    EXPECT_EQ(ReadKps(), (std::vector<int>{8, 10, 11, 9, 8, 10, 11, 9}));
}

using QueryLimitsDialog = QueryOnSimulator;

TEST_F(QueryLimitsDialog, ValuesAndStatusBitsPairedByLimit) {
    sim.SetReplyBytes(16, {0xFF, 0xFF, 0xFF});  // limit 1
    sim.SetReplyBytes(18, {0x7F, 0xFF, 0xFF});  // limit 2
    sim.SetReplyBytes(17, {0x80, 0x00, 0x00});  // limit 3
    sim.SetReplyBytes(19, {0x00, 0x00, 0x05});  // limit 4
    sim.SetReplyBytes(40, {0x00, 0x00, 0x00});
    sim.SetReplyBytes(42, {0x1B, 0x00, 0x00});
    sim.SetReplyBytes(41, {0x0F, 0x00, 0x00});
    sim.SetReplyBytes(43, {0x18, 0x00, 0x00});
    CQueryLimitsDialog dialog;
    ASSERT_TRUE(dialog.ShowValues());
    struct Row {
        int value, position, on, level;
        const char *v, *p, *o, *l;
    };
    const Row rows[] = {
        {1086, 1090, 1075, 1076, "-1", "8", "Aus", "Aktiv 0"},
        {1087, 1091, 1077, 1078, "8388607", "3", "An", "Aktiv 1"},
        {1088, 1092, 1079, 1080, "-8388608", "7", "An", "Aktiv 0"},
        {1089, 1093, 1081, 1082, "5", "8", "An", "Aktiv 1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.value);
        EXPECT_EQ(TextOf(dialog, r.value), r.v);
        EXPECT_EQ(TextOf(dialog, r.position), r.p);
        EXPECT_EQ(TextOf(dialog, r.on), r.o);
        EXPECT_EQ(TextOf(dialog, r.level), r.l);
    }
}

using QueryStatusBitsDialog = QueryOnSimulator;

TEST_F(QueryStatusBitsDialog, EveryFunctionInItsRowAndTheOverspeedThreshold) {
    const std::pair<int, std::uint8_t> bytes[] = {{40, 0x00}, {42, 0x1B}, {41, 0x0F}, {43, 0x18}, {44, 0x01},
                                                  {45, 0x0A}, {46, 0x13}, {47, 0x1C}, {48, 0x0D}};
    for (auto [kp, b] : bytes) sim.SetReplyBytes(kp, {b, 0x00, 0x00});
    sim.SetReplyBytes(22, {0xFF, 0x00, 0x00});
    CQueryStatusBitsDialog dialog;
    ASSERT_TRUE(dialog.ShowValues());
    struct Row {
        int position, on, level;
        const char *p, *o, *l;
    };
    const Row rows[] = {
        {1101, 1113, 1116, "8", "Aus", "Aktiv 0"},  // Grenzwert 1, KP 40
        {1137, 1138, 1117, "3", "An", "Aktiv 1"},   // Grenzwert 2, KP 42
        {1140, 1114, 1118, "7", "An", "Aktiv 0"},   // Grenzwert 3, KP 41
        {1139, 1115, 1119, "8", "An", "Aktiv 1"},   // Grenzwert 4, KP 43
        {1120, 1121, 1122, "2", "An", "Aktiv 0"},   // standstill, KP 45
        {1123, 1124, 1125, "3", "Aus", "Aktiv 1"},  // parity, KP 46
        {1102, 1110, 1111, "4", "An", "Aktiv 1"},   // encoder error, KP 47
        {1103, 1108, 1109, "5", "An", "Aktiv 0"},   // direction, KP 48
        {1104, 1105, 1106, "1", "Aus", "Aktiv 0"},  // overspeed, KP 44
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.position);
        EXPECT_EQ(TextOf(dialog, r.position), r.p);
        EXPECT_EQ(TextOf(dialog, r.on), r.o);
        EXPECT_EQ(TextOf(dialog, r.level), r.l);
    }
    EXPECT_EQ(TextOf(dialog, 1107), "255");
}

using QueryCountDirectionDialog = QueryOnSimulator;

TEST_F(QueryCountDirectionDialog, DirectionSwitchAndItsLevelInExtendedModeOnly) {
    sim.SetReplyBytes(38, {0x01, 0x00, 0x00});
    sim.SetReplyBytes(34, {0x80, 0x01, 0x00});
    {
        CQueryCountDirectionDialog dialog;
        ASSERT_TRUE(dialog.ShowValues());
        EXPECT_EQ(TextOf(dialog, 1085), QString::fromUtf8("Rückwärts"));
        EXPECT_EQ(TextOf(dialog, 1086), "An");
        EXPECT_FALSE(Visible(dialog, 1087));
    }
    sim.SetReplyBytes(38, {0x00, 0x00, 0x00});
    sim.SetReplyBytes(34, {0x00, 0x00, 0x00});
    ExtendedMode = 1;
    CQueryCountDirectionDialog dialog;
    ASSERT_TRUE(dialog.ShowValues());
    EXPECT_EQ(TextOf(dialog, 1085), QString::fromUtf8("Vorwärts"));
    EXPECT_EQ(TextOf(dialog, 1086), "Aus");
    EXPECT_TRUE(Visible(dialog, 1087));
    EXPECT_EQ(TextOf(dialog, 1087), "Aktiv 0");
}

using QueryDataFormatDialog = QueryOnSimulator;

TEST_F(QueryDataFormatDialog, RepresentationCodeFormatAndTheBitSplit) {
    sim.SetReplyBytes(20, {0x9C, 0x00, 0x00});  // nibbles S 9, U 12
    sim.SetReplyBytes(21, {25, 13, 12});        // U 13, S 12
    struct Case {
        std::uint8_t kp29b2, kp36b1, kp36b2, kp35, kp37;
        const char *ssi, *representation, *code, *format, *s, *u;
    };
    const Case cases[] = {
        {0x08, 0x00, 0x00, 0, 0, "32", "Zweierkomplement", "Binär", "Standard", "12", "13"},
        {0x00, 0x10, 0x00, 1, 1, "25", "Integer", "Gray", "Tannenbaum", "9", "12"},
        {0x08, 0x10, 0x10, 0, 2, "32", "sep. VZ", "Binär", "Standard-S", "12", "13"},
        {0x00, 0x00, 0x10, 1, 0, "25", "sep. VZ", "Gray", "Standard", "12", "13"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        sim.SetReplyBytes(29, {0x00, c.kp29b2, 0x00});
        sim.SetReplyBytes(36, {c.kp36b1, c.kp36b2, 0x00});
        sim.SetReplyBytes(35, {c.kp35, 0x00, 0x00});
        sim.SetReplyBytes(37, {c.kp37, 0x00, 0x00});
        CQueryDataFormatDialog dialog;
        ASSERT_TRUE(dialog.ShowValues());
        EXPECT_EQ(TextOf(dialog, 1084), c.ssi);
        EXPECT_EQ(TextOf(dialog, 1085), QString::fromUtf8(c.representation));
        EXPECT_EQ(TextOf(dialog, 1086), QString::fromUtf8(c.code));
        EXPECT_EQ(TextOf(dialog, 1088), c.format);
        EXPECT_EQ(TextOf(dialog, 1073), c.s);
        EXPECT_EQ(TextOf(dialog, 1074), c.u);
        for (int hidden : {1149, 1089, 1150, 1090, 1091}) EXPECT_FALSE(Visible(dialog, hidden)) << hidden;
    }
    EXPECT_FALSE(WasRead(14));  // the registers are read in the extended mode only
    EXPECT_FALSE(WasRead(15));
}

TEST_F(QueryDataFormatDialog, ExtendedModeShowsTheShiftAndTheRegisters) {
    ExtendedMode = 1;
    sim.SetReplyBytes(14, {0x00, 0x1F, 0xA0, 0x03});
    sim.SetReplyBytes(15, {0xFF, 0x01, 0x10, 0x7E});
    const std::pair<std::vector<std::uint8_t>, QString> shifts[] = {{{0x00, 0x01, 0x03}, "3   links"},
                                                                    {{0x00, 0x00, 0x03}, "3   rechts"},
                                                                    {{0x00, 0x00, 0x00}, "0   rechts"}};
    for (const auto& [reply, text] : shifts) {
        SCOPED_TRACE(text.toStdString());
        sim.SetReplyBytes(30, reply);
        CQueryDataFormatDialog dialog;
        ASSERT_TRUE(dialog.ShowValues());
        EXPECT_TRUE(Visible(dialog, 1149));
        EXPECT_TRUE(Visible(dialog, 1089));
        EXPECT_EQ(TextOf(dialog, 1089), text);
        EXPECT_TRUE(Visible(dialog, 1150));
        EXPECT_EQ(TextOf(dialog, 1090), "R10:00 R11:1F R12:A0 R13:03 ");
        EXPECT_EQ(TextOf(dialog, 1091), "R14:FF R15:01 R40:10 R41:7E ");
    }
}

TEST_F(QueryDataFormatDialog, RegistersThatCannotBeReadStayHiddenWithoutAMessage) {
    ExtendedMode = 1;
    // From the first register request on the encoder refuses everything.
    TheLink().SetTelegramObserver([this](const std::uint8_t* t, int n) {
        if (n == 4 && t[0] == 0x80 && t[3] == 14) sim.NakTelegrams(sim::kAlways, 1);
    });
    CQueryDataFormatDialog dialog;
    ASSERT_TRUE(dialog.ShowValues());
    EXPECT_TRUE(Visible(dialog, 1089));
    for (int hidden : {1150, 1090, 1091}) EXPECT_FALSE(Visible(dialog, hidden)) << hidden;
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

using QueryLongerReplies = QueryOnSimulator;

/// Every label of the dialog of type D, shown with the values the encoder answers now.
template <typename D>
QStringList ShownTexts() {
    D dialog;
    QStringList texts;
    if (!dialog.ShowValues()) return {"<not shown>"};
    for (const QLabel* label : dialog.template findChildren<QLabel*>())
        texts << label->objectName() + "=" + label->text() + (label->isHidden() ? " (hidden)" : "");
    return texts;
}

// An encoder that sends more than is read of its replies (random bytes after them) is shown by
// every query dialog exactly as one that sends just what is read; its refusals are named alike.
TEST_F(QueryLongerReplies, EveryDialogShowsTheSame) {
    ExtendedMode = 1;  // the levels, the shift and the registers too
    sim.SetRam(1, {0x02, 0x02, 0x10});
    sim.SetRam(32, {0x00, 0x00, 0x03});
    auto all = [] {
        return QList<QStringList>{
            ShownTexts<CQueryPresetsDialog>(),        ShownTexts<CQueryScalingDialog>(),
            ShownTexts<CQueryLimitsDialog>(),         ShownTexts<CQueryStatusBitsDialog>(),
            ShownTexts<CQueryCountDirectionDialog>(), ShownTexts<CQueryDataFormatDialog>()};
    };
    const auto expected = all();
    sim.SetReplyPadding(4, 24);
    EXPECT_EQ(all(), expected);
    sim.NakTelegrams(sim::kAlways, 5);
    RunQueryDialog(32772, nullptr);
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Geber meldet Parameterwert ungültig !")});
    EXPECT_EQ(sim.Counters().procedureErrors, 0);
}

using QueryFailures = QueryOnSimulator;

TEST_F(QueryFailures, SilentEncoderShowsOnlyTheMessageForEveryDialog) {
    sim.SetSilent(true);
    // A dialog that were shown by mistake must not block the test: close any modal window.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    closer.start(50);
    for (int command : {1114, 32772, 32773, 32774, 32775, 32776}) {
        SCOPED_TRACE(command);
        messages.clear();
        RunQueryDialog(command, nullptr);
        EXPECT_EQ(messages, QStringList{"Geber antwortet nicht !"});
    }
    EXPECT_TRUE(shown.titles.isEmpty()) << shown.titles.join("|").toStdString();
}

TEST_F(QueryFailures, ClosedPortGivesThePortMessageFirstThenTheDeviceError) {
    port.Close();
    RunQueryDialog(32772, nullptr);
    ASSERT_GE(messages.size(), 2);
    EXPECT_EQ(messages.front(), QString::fromUtf8("Der Anschluß COM 1 kann nicht geöffnet werden !"));
    EXPECT_EQ(messages.back(), "Geber antwortet nicht !");
    EXPECT_TRUE(shown.titles.isEmpty());
}

TEST_F(QueryFailures, RefusedReadShowsTheEncodersReason) {
    sim.NakTelegrams(sim::kAlways, 1);
    RunQueryDialog(32773, nullptr);
    EXPECT_EQ(messages, QStringList{"Geber meldet KP-Nummer unbekannt !"});
    EXPECT_TRUE(shown.titles.isEmpty());
}

TEST_F(QueryFailures, SuccessfulQueryRunsTheDialogModally) {
    QString title;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            title = w->windowTitle();
            if (auto* ok = w->findChild<QPushButton*>("1")) ok->click();
        }
    });
    RunQueryDialog(32775, nullptr);
    EXPECT_EQ(title, QString::fromUtf8("Zählrichtung Abfragen"));
    EXPECT_TRUE(messages.isEmpty());
}

// Help needs no encoder: the dialogs are only constructed.
TEST(QueryHelp, HelpButtonAndF1SetTheDialogsTopicAndAskForHelp) {
    QStringList requested;
    ui::SetHelpHandler([&] {
        requested << ui::HelpTopic();
        ui::ClearHelpTopic();
    });
    CQueryPresetsDialog presets;
    CQueryScalingDialog scaling;
    CQueryLimitsDialog limits;
    CQueryDataFormatDialog dataFormat;
    CQueryCountDirectionDialog countDirection;
    CQueryStatusBitsDialog statusBits;
    const std::pair<ParameterDialog*, QString> dialogs[] = {
        {&presets, "AbfragenPresets"},
        {&scaling, "AbfragenSkalierung"},
        {&limits, "AbfragenEndlagen"},
        {&dataFormat, "AbfragenDatenformat"},
        {&countDirection, QString::fromUtf8("AbfragenZählrichtung")},
        {&statusBits, "AbfragenStatusbits"},
    };
    for (const auto& [dialog, topic] : dialogs) {
        SCOPED_TRACE(topic.toStdString());
        requested.clear();
        auto* help = dialog->Control<QPushButton>(57670);
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->text(), "Hilfe");
        help->click();
        QTest::keyClick(dialog, Qt::Key_F1);
        EXPECT_EQ(requested, (QStringList{topic, topic}));
        EXPECT_EQ(dialog->Control<QPushButton>(1)->text(), "OK");
        EXPECT_TRUE(dialog->Control<QPushButton>(1)->isDefault());
    }
    ui::SetHelpHandler({});
}

using QueryLayout = QueryOnSimulator;

// The query dialogs are shown without reading; the display reads once as it opens.
TEST_F(QueryLayout, EveryDialogHasItsTitleAndKeepsItsTemplateSize) {
    CQueryPresetsDialog presets;
    CQueryScalingDialog scaling;
    CQueryLimitsDialog limits;
    CQueryDataFormatDialog dataFormat;
    CQueryCountDirectionDialog countDirection;
    CQueryStatusBitsDialog statusBits;
    CActualValueDialog display;
    struct Expected {
        QDialog* dialog;
        const char* title;
        int width, height;
    };
    const Expected dialogs[] = {
        {&display, "Istwert Anzeige", 221, 103},        {&presets, "Presets Abfragen", 268, 213},
        {&scaling, "Skalierung Abfragen", 268, 158},    {&limits, "Endlagen Abfragen", 268, 169},
        {&dataFormat, "Geber Datenformat", 268, 210},   {&countDirection, "Zählrichtung Abfragen", 268, 122},
        {&statusBits, "Statusbits Abfragen", 268, 210},
    };
    for (const Expected& e : dialogs) {
        SCOPED_TRACE(e.title);
        EXPECT_EQ(e.dialog->windowTitle(), QString::fromUtf8(e.title));
        e.dialog->show();
        // A modal frame: the window cannot be resized, and it is at least its template.
        EXPECT_EQ(e.dialog->minimumSize(), e.dialog->maximumSize());
        EXPECT_GE(e.dialog->width(), DluX(e.width));
        EXPECT_GE(e.dialog->height(), DluY(e.height));
        e.dialog->reject();
    }
}

TEST(QueryResources, EnglishHasEveryQueryTextAndTheDialogsUseIt) {
    auto keys = [](const std::string& path) {
        std::ifstream in(path);
        std::vector<std::string> found;
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#' && line.find('\t') != std::string::npos)
                found.push_back(line.substr(0, line.find('\t')));
        return found;
    };
    const auto german = keys(VELTRIN_SOURCE_DIR "/res/de/query.txt");
    const auto english = keys(VELTRIN_SOURCE_DIR "/res/en/query.txt");
    ASSERT_GT(german.size(), 100u);
    EXPECT_EQ(german, english);

    ResourceSet set;
    ASSERT_TRUE(set.LoadFile(VELTRIN_BUILD_DIR "/veltrin.en.txt"));
    UseResourceSet(&set);
    CQueryCountDirectionDialog dialog;
    UseResourceSet(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Query Count Direction");
    EXPECT_EQ(dialog.Control<QPushButton>(57670)->text(), "Help");
}
