#pragma once
// The screenshot program's scenes. A scene has a name and a function that builds a widget,
// shows it (or leaves that to the runner) and returns it for grabbing; the runner saves it as
// <name>-<language>.png and deletes it afterwards unless it is marked to be kept.
//
// A file of scenes registers them at start-up:
//   VELTRIN_SHOT("info", [] { return new veltrin::ui::CInfoDialog(veltrin::shots::Owner()); });
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace veltrin::app {
class CVeltrinApp;
}

namespace veltrin::shots {

struct Scene {
    QString name;
    std::function<QWidget*()> build;
};

std::vector<Scene>& Scenes();

struct RegisterScene {
    RegisterScene(const char* name, std::function<QWidget*()> build) { Scenes().push_back({name, std::move(build)}); }
};

/// The running application (started without an encoder, settings in a temporary folder) and
/// its main window, the owner of the dialogs.
app::CVeltrinApp& App();
QWidget* Owner();

/// A file of that name in the output folder; the language of this run ("de", "en").
QString OutputPath(const QString& fileName);
QString Language();

/// Marks a widget that the runner must not delete (the main window, for example).
void Keep(QWidget* widget);

}  // namespace veltrin::shots

#define VELTRIN_SHOT_CAT2(a, b) a##b
#define VELTRIN_SHOT_CAT(a, b) VELTRIN_SHOT_CAT2(a, b)
#define VELTRIN_SHOT(name, ...) \
    static ::veltrin::shots::RegisterScene VELTRIN_SHOT_CAT(veltrinShot_, __LINE__)(name, __VA_ARGS__)
