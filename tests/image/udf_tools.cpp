// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/udf_tools.h"

#include <array>
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace tarvelo::test {

bool commandAvailable(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string commandOutput(const std::string& command)
{
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string output;
    std::array<char, 4096> buffer{};
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        output.append(buffer.data(), got);
    return output;
}

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

std::map<std::string, std::string> udfinfo(const std::filesystem::path& image)
{
    std::map<std::string, std::string> facts;
    std::istringstream lines(commandOutput("udfinfo " + quoted(image) + " 2>/dev/null"));
    for (std::string line; std::getline(lines, line);)
        if (const auto equals = line.find('='); equals != std::string::npos)
            facts.emplace(line.substr(0, equals), line.substr(equals + 1));
    return facts;
}

std::int32_t udfinfoSerial(const std::filesystem::path& image)
{
    const auto serial = udfinfo(image).at("winserialnum");
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::stoul(serial, nullptr, 16)));
}

} // namespace tarvelo::test
