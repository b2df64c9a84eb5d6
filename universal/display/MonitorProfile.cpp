#include "display/MonitorProfile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <typeinfo>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "base/Exception.h"
#include "display/Color.h"
#include "file/Paths.h"

namespace Stimora {

namespace {

using Json = nlohmann::json;

[[noreturn]] void fail(const std::string& path, const std::string& what) {
    throw Exception(typeid(MonitorProfile), "PROFILE ERROR", "Monitor profile " + path + ": " + what);
}

const char* typeName(const Json& j) {
    return j.is_null() ? "null" : j.type_name();
}

// Reads the fields of one parsed file, each named by its dotted path in the errors.
class Reader {
public:
    Reader(const std::string& path_, const Json& root_) : path(path_), root(root_) {}

    const Json& at(const Json& object, const std::string& key, const std::string& where) const {
        if (!object.is_object())
            fail(path, "field " + where + " must be an object, found " + typeName(object) + ".");
        const auto it = object.find(key);
        if (it == object.end())
            fail(path, "field " + join(where, key) + " is missing.");
        return *it;
    }

    double number(const Json& object, const std::string& key, const std::string& where, bool positive) const {
        const Json& j = at(object, key, where);
        return check(j, join(where, key), positive);
    }

    double check(const Json& j, const std::string& name, bool positive) const {
        if (!j.is_number())
            fail(path, "field " + name + " must be a number, found " + typeName(j) + ".");
        const double v = j.get<double>();
        if (!std::isfinite(v))
            fail(path, "field " + name + " is not a finite number.");
        if (positive && !(v > 0.0))
            fail(path, "field " + name + " must be above 0.");
        return v;
    }

    int integer(const Json& object, const std::string& key, const std::string& where) const {
        const Json& j = at(object, key, where);
        if (!j.is_number_integer() || j.get<long long>() < 1 || j.get<long long>() > 100000)
            fail(path,
                 "field " + join(where, key) + " must be a whole number of pixels, found " + j.dump() + ".");
        return j.get<int>();
    }

    std::string text(const Json& object, const std::string& key, const std::string& where) const {
        const Json& j = at(object, key, where);
        if (!j.is_string())
            fail(path, "field " + join(where, key) + " must be a string, found " + typeName(j) + ".");
        return j.get<std::string>();
    }

    std::vector<double> numbers(const Json& object, const std::string& key, const std::string& where,
                                std::size_t count) const {
        const Json& j = at(object, key, where);
        const std::string name = join(where, key);
        if (!j.is_array() || j.size() != count)
            fail(path, "field " + name + " must be a list of " + std::to_string(count) + " numbers.");
        std::vector<double> out;
        for (std::size_t i = 0; i < j.size(); ++i)
            out.push_back(check(j[i], name + "[" + std::to_string(i) + "]", false));
        return out;
    }

    MonitorProfile::Channel channel(const Json& object, const std::string& key) const {
        const Json& c = at(object, key, "calibration");
        const std::string where = join("calibration", key);
        MonitorProfile::Channel out;
        const Json& points = at(c, "points", where);
        if (!points.is_array() || points.size() < 2)
            fail(path, "field " + where + ".points must be a list of at least two [value, luminance] pairs.");
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::string name = where + ".points[" + std::to_string(i) + "]";
            if (!points[i].is_array() || points[i].size() != 2)
                fail(path, "field " + name + " must be a [value, luminance] pair.");
            out.values.push_back(check(points[i][0], name + "[0]", false));
            out.luminances.push_back(check(points[i][1], name + "[1]", false));
            if (out.values.back() < 0.0 || out.values.back() > 1.0 ||
                (i > 0 && !(out.values[i] > out.values[i - 1])))
                fail(path, "field " + name + " must have a value in 0..1 above the one before.");
        }
        const std::string fit = where + ".power";
        out.power.offset = number(at(c, "power", where), "offset", fit, false);
        out.power.scale = number(at(c, "power", where), "scale", fit, true);
        out.power.gamma = number(at(c, "power", where), "gamma", fit, true);
        out.powerResiduals = numbers(c, "power_residuals_percent", where, points.size());
        out.splineResiduals = numbers(c, "spline_residuals_percent", where, points.size());
        try {
            ResponseCurve::power(out.power);
        } catch (const Exception& e) {
            fail(path, "field " + fit + ": " + e.message());
        }
        return out;
    }

    static std::string join(const std::string& where, const std::string& key) {
        return where.empty() ? key : where + "." + key;
    }

    const std::string& path;
    const Json& root;
};

Json channelJson(const MonitorProfile::Channel& c) {
    Json points = Json::array();
    for (std::size_t i = 0; i < c.values.size(); ++i)
        points.push_back({c.values[i], c.luminances[i]});
    return {{"points", points},
            {"power", {{"offset", c.power.offset}, {"scale", c.power.scale}, {"gamma", c.power.gamma}}},
            {"power_residuals_percent", c.powerResiduals},
            {"spline_residuals_percent", c.splineResiduals}};
}

// Makes every missing folder on the way to the file.
void makeFolders(const std::string& file) {
    for (std::size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1))
        mkdir(file.substr(0, slash).c_str(), 0777);
}

} // namespace

ResponseCurve MonitorProfile::Channel::curve(const std::string& model) const {
    return model == "spline" ? ResponseCurve::spline(values, luminances) : ResponseCurve::power(power);
}

MonitorProfile MonitorProfile::load(const std::string& given) {
    const std::string path = expandPath(given);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(path, std::string("cannot be read (") + std::strerror(errno) + ").");
    Json root;
    try {
        root = Json::parse(in);
    } catch (const Json::exception& e) {
        // nlohmann's message names the byte and what it found; keep it to one line.
        std::string what = e.what();
        const std::size_t tag = what.find("] ");
        fail(path, "is not valid JSON (" + what.substr(tag == std::string::npos ? 0 : tag + 2) + ").");
    }
    const Reader r(path, root);
    if (!root.is_object())
        fail(path, "must hold a JSON object, found " + std::string(typeName(root)) + ".");
    if (r.text(root, "format", "") != "stimora-monitor-profile")
        fail(path, "field format is not \"stimora-monitor-profile\".");
    const Json& v = r.at(root, "version", "");
    if (!v.is_number_integer())
        fail(path, "field version must be a whole number, found " + std::string(typeName(v)) + ".");
    if (v.get<long long>() != version)
        fail(path, "field version is " + v.dump() + "; this Stimora reads version " +
                       std::to_string(version) + ".");

    MonitorProfile p;
    p.name = r.text(root, "name", "");
    const Json& screen = r.at(root, "screen", "");
    p.widthCm = r.number(screen, "width_cm", "screen", true);
    p.heightCm = r.number(screen, "height_cm", "screen", true);
    p.distanceCm = r.number(screen, "viewing_distance_cm", "screen", true);
    p.pixelWidth = r.integer(screen, "width_px", "screen");
    p.pixelHeight = r.integer(screen, "height_px", "screen");
    p.refreshRate = r.number(screen, "refresh_hz", "screen", true);

    const Json& c = r.at(root, "calibration", "");
    if (!c.is_null()) {
        p.calibration.date = r.text(c, "date", "calibration");
        p.calibration.model = r.text(c, "model", "calibration");
        if (p.calibration.model != "power" && p.calibration.model != "spline")
            fail(path, "field calibration.model must be \"power\" or \"spline\".");
        p.calibration.grey = r.channel(c, "grey");
        const bool primaries = c.is_object() && c.contains("red");
        if (primaries) {
            p.calibration.red = r.channel(c, "red");
            p.calibration.green = r.channel(c, "green");
            p.calibration.blue = r.channel(c, "blue");
        }
        const Json& checks = r.at(c, "validation", "calibration");
        if (!checks.is_array())
            fail(path, "field calibration.validation must be a list.");
        for (std::size_t i = 0; i < checks.size(); ++i) {
            const std::string where = "calibration.validation[" + std::to_string(i) + "]";
            Check k;
            k.requested = r.number(checks[i], "requested", where, true);
            k.measured = r.number(checks[i], "measured", where, false);
            k.errorPercent = r.number(checks[i], "error_percent", where, false);
            k.stepPercent = r.number(checks[i], "step_percent", where, false);
            p.calibration.validation.push_back(k);
        }
    }
    return p;
}

std::string MonitorProfile::toJson() const {
    Json calibrationJson = nullptr;
    if (calibrated()) {
        Json checks = Json::array();
        for (const Check& k : calibration.validation)
            checks.push_back({{"requested", k.requested},
                              {"measured", k.measured},
                              {"error_percent", k.errorPercent},
                              {"step_percent", k.stepPercent}});
        calibrationJson = {{"date", calibration.date},
                           {"model", calibration.model},
                           {"grey", channelJson(calibration.grey)},
                           {"validation", checks}};
        if (calibration.red.measured()) {
            calibrationJson["red"] = channelJson(calibration.red);
            calibrationJson["green"] = channelJson(calibration.green);
            calibrationJson["blue"] = channelJson(calibration.blue);
        }
    }
    const Json root = {{"format", "stimora-monitor-profile"},
                       {"version", version},
                       {"name", name},
                       {"screen",
                        {{"width_cm", widthCm},
                         {"height_cm", heightCm},
                         {"viewing_distance_cm", distanceCm},
                         {"width_px", pixelWidth},
                         {"height_px", pixelHeight},
                         {"refresh_hz", refreshRate}}},
                       {"calibration", calibrationJson}};
    return root.dump(2) + "\n";
}

void MonitorProfile::save(const std::string& given) const {
    const std::string path = expandPath(given);
    const std::string text = toJson();
    makeFolders(path);
    // Written whole beside its place, then renamed over it: the old profile stays intact
    // until the new one is complete on disk.
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        fail(path, std::string("cannot be written (") + std::strerror(errno) + ").");
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        fail(path, std::string("cannot be written (") + std::strerror(error) + ").");
    }
}

std::string MonitorProfile::pathFor(const std::string& name) {
    return expandPath("%USER_SETTING%profiles/" + name + ".json");
}

std::string MonitorProfile::locate(const std::string& nameOrPath) {
    const bool file = nameOrPath.find('/') != std::string::npos ||
                      (nameOrPath.size() > 5 && nameOrPath.compare(nameOrPath.size() - 5, 5, ".json") == 0);
    return file ? expandPath(nameOrPath) : pathFor(nameOrPath);
}

VisualAngle MonitorProfile::visualAngle(const Point& centre) const {
    return VisualAngle(widthCm, heightCm, distanceCm, pixelWidth, pixelHeight, centre);
}

void MonitorProfile::applyCalibration() const {
    if (!calibrated())
        throw Exception(typeid(MonitorProfile), "PROFILE ERROR",
                        "Monitor profile \"" + name +
                            "\" holds no calibration: run stimora-calibrate first.");
    const bool primaries = calibration.red.measured();
    const ResponseCurve grey = response(calibration.grey);
    Color::Photometry photometry;
    photometry.calibrated = true;
    photometry.black = grey.black();
    photometry.white = grey.white();
    std::vector<double> tables[3];
    if (primaries) {
        const Channel* channels[3] = {&calibration.red, &calibration.green, &calibration.blue};
        photometry.channels = true;
        double black = 0.0;
        for (int c = 0; c < 3; ++c) {
            const ResponseCurve curve = response(*channels[c]);
            tables[c] = curve.table();
            photometry.primary[c] = curve.white();
            black += curve.black() / 3.0;
        }
        photometry.black = black;
    } else {
        tables[0] = tables[1] = tables[2] = grey.table();
    }
    // In software, so that the pixels (and a photometer reading them) carry the calibration.
    const bool preferred = Color::preferSoftware;
    Color::preferSoftware = true;
    try {
        Color::setGammaTable(tables[0], tables[1], tables[2]);
    } catch (...) {
        Color::preferSoftware = preferred;
        throw;
    }
    Color::photometry = photometry;
}

} // namespace Stimora
