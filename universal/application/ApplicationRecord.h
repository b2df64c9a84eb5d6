#pragma once

#include <string>

namespace Stimora {

/// The process-wide record of the running program: its entry-point arguments, the priority
/// table, the names the window layer registers under and the main thread's id. Initialised
/// at static initialisation and again by the entry point and by startUp().
class ApplicationRecord {
public:
    /// The one record. Created, and initialised in its default form, before main() runs.
    static ApplicationRecord& instance();

    /// Default form: stores the thread id, the two names and the priority table, and sets
    /// the normal priority class; the entry-point arguments stay as they are.
    void initialize();
    /// Entry-point form: the default form plus the four entry-point arguments.
    void initialize(void* instanceHandle, void* previousInstanceHandle, const char* commandLine,
                    int showWindowCode);
    /// Entry-point form for main(argc, argv): no handles, the arguments after the program
    /// name joined by blanks as the command line, show code 1.
    void initialize(int argc, char** argv);

    /// Sets the process priority class of level 0 (high) to 4 (idle); other levels do nothing.
    void setPriorityLevel(int level);
    /// The process priority as a level: idle 3, high 0, below normal 2, anything else 1.
    int getPriorityLevel() const;
    /// Back to level 1, the normal class.
    void resetPriority();
    /// Shows the calling thread's last system error as the system's own text in a box
    /// titled "Error".
    void reportLastSystemError() const;
    /// Shows text in a box titled "Stimora Notification" with an OK button.
    void notify(const std::string& text) const;

    /// Priority classes as the Windows values, indexed by level: high, normal, below normal,
    /// idle, idle.
    static constexpr unsigned defaultPriorityClasses[5] = {0x80, 0x20, 0x4000, 0x40, 0x40};

    void* instanceHandle = nullptr;         ///< first entry-point argument; null on Linux
    void* previousInstanceHandle = nullptr; ///< second entry-point argument (ignored)
    std::string commandLine;                ///< third entry-point argument, never parsed
    int showWindowCode = 1;                 ///< passed to the window layer when it first shows
    unsigned priorityClasses[5] = {};       ///< priority class of each level 0 to 4
    const char* windowClassName = "";       ///< "StimoraWindow"
    const char* applicationTitle = "";      ///< "Stimora Application"
    unsigned mainThreadId = 0;              ///< id of the thread that initialised the record

private:
    ApplicationRecord() = default;
};

} // namespace Stimora
