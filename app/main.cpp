// The moving-bar program: takes over the screen, shows the bars until Escape, exit code 0.
// Every failure that escapes start-up or the main routine is shown in one notification box.

#include "MainRoutine.h"

#include <Stimora.h>

#include <exception>
#include <string>

namespace {

const char* const notificationTitle = "Stimora Notification";

std::string describe(Stimora::Interval::TYPES type) {
    return "class Stimora::Interval [INTERVAL ERROR] An interval end of type " + std::to_string(type) +
           " was queried where a finite end is required.";
}

} // namespace

int main(int argc, char** argv) {
    using namespace Stimora;
    ApplicationRecord::instance().initialize(argc, argv);
    try {
        ApplicationRecord::instance().resetPriority();
        startUp();
        mainRoutine();
    } catch (Exception& e) {
        platformMessageBox(notificationTitle, e.text());
    } catch (Exception* e) {
        platformMessageBox(notificationTitle, e->text()); // thrown by pointer; not freed
    } catch (std::exception& e) {
        platformMessageBox("Stimora Notification : std lib exception", e.what());
    } catch (const char* text) {
        platformMessageBox(notificationTitle, text);
    } catch (Interval::TYPES type) {
        platformMessageBox(notificationTitle, describe(type));
    } catch (Canvas::Error error) {
        platformMessageBox(notificationTitle,
                           "class Stimora::Canvas [CANVAS ERROR] The canvas is already initialized (error " +
                               std::to_string(static_cast<int>(error)) + ").");
    }
    return 0;
}
