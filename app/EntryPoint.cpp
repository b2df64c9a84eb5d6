#include "EntryPoint.h"

#include "Platform.h"

#include <Stimora.h>

#include <exception>
#include <string>

namespace Stimora {

namespace {

const char* const notificationTitle = "Stimora Notification";

} // namespace

int runEntryPoint(int argc, char** argv, void (*mainRoutine)()) {
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
        // A query on an undefined or unlimited end of an interval that was never caught.
        platformMessageBox(notificationTitle,
                           "class Stimora::Interval [INTERVAL ERROR] An interval end of type " +
                               std::to_string(static_cast<int>(type)) +
                               " was queried where a finite end is required.");
    } catch (Canvas::Error error) {
        platformMessageBox(notificationTitle,
                           "class Stimora::Canvas [CANVAS ERROR] The canvas is already initialized (error " +
                               std::to_string(static_cast<int>(error)) + ").");
    } catch (...) {
        // Whatever else was thrown: the stack (and so the canvas) has unwound to here.
        platformMessageBox(notificationTitle, "An exception of an unknown type ended the program.");
    }
    return 0;
}

} // namespace Stimora
