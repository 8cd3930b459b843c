#include "sim/SimOptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

ParsedOptions parsed(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "zentiq-sim");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

TEST(SimOptions, ReadsValuesEitherWayAndGivesWhatWasWrongInOneLine) {
    const ParsedOptions options = parsed({"--serial=ZQ000042", "--delay", "40", "--forget-register",
                                          "0x40", "--forget-register=50", "--silent", "-h"});
    ASSERT_TRUE(options.options) << options.error;
    EXPECT_EQ(options.options->identity.serialText, "ZQ000042");
    EXPECT_EQ(options.options->delayMs, 40U);
    EXPECT_EQ(options.options->faults.forgottenRegisters, (std::vector<std::uint8_t>{0x40, 0x50}));
    EXPECT_TRUE(options.options->faults.silent);
    EXPECT_TRUE(options.options->help);

    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"--bogus"}, "unknown option or missing value: --bogus"},
        {{"--silent=1"}, "unknown option or missing value: --silent=1"},
        {{"--delay"}, "unknown option or missing value: --delay"},
        {{"--delay", "-h"}, "unacceptable value for --delay: -h"},
        {{"--module=65536"}, "unacceptable value for --module: 65536"},
        // Every option is read before an argument that is none is refused.
        {{"extra", "--bogus"}, "unknown option or missing value: --bogus"},
        {{"--", "--silent"}, "unexpected argument: --silent"},
    };
    for (const auto& [arguments, error] : wrong) {
        const ParsedOptions options = parsed(arguments);
        EXPECT_FALSE(options.options) << arguments.front();
        EXPECT_EQ(options.error, error);
    }
}

} // namespace
