#pragma once

#include <string>
#include <vector>

namespace Stimora {
namespace Analysis {

/// A canvas's saved frame log read back: one record per flip (index, frames asked, onset and
/// interval in ms, refreshes missed).
class FrameTimes {
public:
    /// One flip.
    struct Flip {
        /// 0 for the first flip of the log.
        int index = 0;
        /// Refreshes the new frame was asked to stay.
        int frames = 0;
        /// Onset in ms since the log started.
        double onset = 0.0;
        /// ms since the previous flip's onset.
        double interval = 0.0;
        /// Refreshes the previous frame stayed beyond its hold.
        int missed = 0;
    };

    /// Mean, sd and maximum in ms.
    struct Summary {
        double mean = 0.0;    ///< ms
        double sd = 0.0;      ///< ms
        double maximum = 0.0; ///< ms
    };

    /// Reads path; raises Exception "FORMAT ERROR" naming the file and line of a missing
    /// header, a line of another width or a value that is not a number.
    static FrameTimes read(const std::string& path);
    /// The same from text in memory; path only names it in messages.
    static FrameTimes parse(const std::string& text, const std::string& path);
    /// True when text begins with a frame log's header line.
    static bool looksLikeFrameLog(const std::string& text);

    /// The file's name as given.
    const std::string& path() const { return path_; }
    /// The flips in file order.
    const std::vector<Flip>& flips() const { return flips_; }
    /// The refresh period in ms: the median over flips of the interval per refresh it
    /// spanned (the previous flip's frames plus the refreshes missed).
    double nominalPeriod() const;
    /// The interval per frame asked over the flips after the first: each flip's interval divided
    /// by the refreshes the frame before it was asked to last (at least 1).
    Summary perFrame() const;
    /// Refreshes missed over all flips.
    int drops() const;

private:
    std::string path_;
    std::vector<Flip> flips_;
};

} // namespace Analysis
} // namespace Stimora
