#pragma once

#include "experiment/Variable.h"

#include <fstream>
#include <map>
#include <string>
#include <typeinfo>

namespace Stimora {
namespace ExperimentalMethods {

/// A procedure's result file and its journal. While the trials run, every finished trial's
/// line is appended to the journal (the result file's name plus ".partial") and flushed, so a
/// run that ends early leaves its finished trials on disk. At the end the whole result file
/// is written at once and the journal removed. Where a file cannot be created beside the
/// given name, the same file name in the user's home folder is used instead.
class ResultFile {
public:
    /// Lines 1 to 3 of every result file: the experiment's name, the note, and each fixed
    /// variable as label, TAB, value, ";", TAB. Each line ends in CR LF.
    static std::string preamble(const std::string& name, const std::string& note,
                                const std::map<std::string, Variable*>& fixed);

    /// Expands the path tokens of fileTemplate into path(); nothing is created yet.
    void name(const std::string& fileTemplate);
    /// Creates the journal (replacing an old one) and writes header into it. Raises
    /// Exception "FILE ERROR", carrying thrower and naming the path, when it can be created
    /// neither beside path() nor in the home folder.
    void openJournal(const std::type_info& thrower, const std::string& header);
    /// Appends one line to the journal and flushes it to disk.
    void appendToJournal(const std::string& line);
    /// Writes bytes as the whole result file (binary, so CR LF stays as given), then closes
    /// and removes the journal. Raises Exception "FILE ERROR" naming the path when neither
    /// path() nor the home-folder fallback can be created; the journal then stays.
    void save(const std::type_info& thrower, const std::string& bytes);

    /// The expanded result file name (empty before name()).
    const std::string& path() const { return path_; }
    /// Where the journal went: path() + ".partial" or its home-folder fallback.
    const std::string& journalPath() const { return journalPath_; }
    /// Where save() wrote the result file (empty until it has).
    const std::string& savedPath() const { return savedPath_; }

private:
    std::string path_;
    std::string journalPath_;
    std::string savedPath_;
    std::ofstream journal_;
};

} // namespace ExperimentalMethods
} // namespace Stimora
