#include "application/ApplicationRecord.h"

#include "Platform.h"

namespace Stimora {

constexpr unsigned ApplicationRecord::defaultPriorityClasses[5];

ApplicationRecord& ApplicationRecord::instance() {
    static ApplicationRecord record = [] {
        ApplicationRecord initial;
        initial.initialize();
        return initial;
    }();
    return record;
}

namespace {
// Initialise the record, and set the normal priority class, before main() runs.
const ApplicationRecord& staticRecord = ApplicationRecord::instance();
} // namespace

void ApplicationRecord::initialize() {
    mainThreadId = platformThreadId();
    windowClassName = "StimoraWindow";
    applicationTitle = "Stimora Application";
    for (int level = 0; level < 5; ++level)
        priorityClasses[level] = defaultPriorityClasses[level];
    platformSetPriorityClass(0x20);
}

void ApplicationRecord::initialize(void* instance, void* previousInstance, const char* line, int showCode) {
    initialize();
    instanceHandle = instance;
    previousInstanceHandle = previousInstance;
    commandLine = line ? line : "";
    showWindowCode = showCode;
}

void ApplicationRecord::initialize(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    initialize(nullptr, nullptr, line.c_str(), 1);
}

void ApplicationRecord::setPriorityLevel(int level) {
    if (level < 0 || level > 4)
        return;
    platformSetPriorityClass(priorityClasses[level]);
}

int ApplicationRecord::getPriorityLevel() const {
    switch (platformGetPriorityClass()) {
    case 0x40:
        return 3;
    case 0x80:
        return 0;
    case 0x4000:
        return 2;
    default:
        return 1;
    }
}

void ApplicationRecord::resetPriority() {
    setPriorityLevel(1);
}

void ApplicationRecord::reportLastSystemError() const {
    platformMessageBox("Error", platformLastErrorText());
}

void ApplicationRecord::notify(const std::string& text) const {
    platformMessageBox("Stimora Notification", text);
}

} // namespace Stimora
