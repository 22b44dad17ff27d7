#include "tools/qrpgen/gen_options.h"

#include <gtest/gtest.h>

using namespace qrpgen;

TEST(QrpgenOptions, DefaultsAndEveryOption)
{
    const TGenOptions plain = ParseOptions({ "out.qrp" });
    EXPECT_EQ(plain.pages, 12);
    EXPECT_EQ(plain.paper, TQRPaperSize::A4);
    EXPECT_EQ(plain.orientation, poPortrait);
    EXPECT_FALSE(plain.compress);
    EXPECT_EQ(plain.mode, TOutputMode::File);
    EXPECT_EQ(plain.outFile, "out.qrp");

    const TGenOptions all =
        ParseOptions({ "--pages", "3", "--paper", "Legal", "--landscape", "--compress", "--title",
                       "Q3", "--seed", "9", "--preview", "r.qrp" });
    EXPECT_EQ(all.pages, 3);
    EXPECT_EQ(all.paper, TQRPaperSize::Legal);
    EXPECT_EQ(all.orientation, poLandscape);
    EXPECT_TRUE(all.compress);
    EXPECT_EQ(all.title, "Q3");
    EXPECT_EQ(all.seed, 9u);
    EXPECT_EQ(all.mode, TOutputMode::Preview);
    EXPECT_EQ(all.outFile, "r.qrp");

    const TGenOptions print = ParseOptions({ "--print", "--paper", "A5" });
    EXPECT_EQ(print.mode, TOutputMode::Print);
    EXPECT_TRUE(print.outFile.empty());
}

TEST(QrpgenOptions, CommandLinesThatCannotBeFollowed)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        { "a.qrp", "b.qrp" },
        { "--pages", "0", "a.qrp" },
        { "--pages", "100001", "a.qrp" },
        { "--pages", "12x", "a.qrp" },
        { "--pages" },
        { "--paper", "A3", "a.qrp" },
        { "--paper", "a4", "a.qrp" },
        { "--seed", "-1", "a.qrp" },
        { "--print", "a.qrp" },
        { "--print", "--compress" },
        { "--print", "--preview", "a.qrp" },
        { "--colour", "a.qrp" },
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& a : args)
            line += a + " ";
        SCOPED_TRACE(line);
        EXPECT_THROW(ParseOptions(args), UsageError);
    }
}
