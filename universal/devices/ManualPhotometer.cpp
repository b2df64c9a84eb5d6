#include "devices/ManualPhotometer.h"

#include <cmath>
#include <cstdlib>
#include <typeinfo>

#include "base/Exception.h"

namespace Stimora {

ManualPhotometer::ManualPhotometer(std::FILE* input, std::FILE* prompt) : in(input), out(prompt) {}

double ManualPhotometer::measure() {
    for (;;) {
        std::fputs(ask.c_str(), out);
        std::fflush(out);
        std::string line;
        int c;
        while ((c = std::fgetc(in)) != EOF && c != '\n')
            line += static_cast<char>(c);
        if (c == EOF && line.empty())
            throw Exception(typeid(ManualPhotometer), "DEVICE ERROR",
                            "Manual entry: the input ended before the reading was typed.");
        char* end = nullptr;
        const double value = std::strtod(line.c_str(), &end);
        while (end && (*end == ' ' || *end == '\t' || *end == '\r'))
            ++end;
        if (end != line.c_str() && end && *end == '\0' && std::isfinite(value) && value >= 0.0)
            return value;
        std::fprintf(out, "\"%s\" is no luminance; type a number of cd/m2.\n", line.c_str());
    }
}

} // namespace Stimora
