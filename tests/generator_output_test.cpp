// The data generator: the same options give the same tree byte for byte, and
// its deliberate data problems touch only logger lines, never the rest.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "campaign_2014.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using namespace field::testing;

#ifdef FIELD_GENERATOR_PATH
// Runs the generator into `root` with `options`; its standard output goes to `root`.out.
int generate(const TempDir& root, const std::string& options) {
    const std::string command = std::string("\"") + FIELD_GENERATOR_PATH + "\" --root \"" + root.str() + "/tree\" " +
                                options + " > \"" + root.str() + "/out.txt\"";
    return std::system(command.c_str());
}

// Every file of the generated tree, by path relative to it, with its bytes.
std::map<std::string, std::string> treeOf(const TempDir& root) {
    std::map<std::string, std::string> files;
    const std::filesystem::path tree = root.path() / "tree";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree))
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), tree).generic_string()] = readFile(entry.path());
    return files;
}

bool isLoggerFile(const std::string& path) {
    for (const FieldLayout& f : campaign2014().fields)
        if (path.ends_with(f.loggerFilePattern.substr(1))) return true;
    return false;
}

struct OptionCase {
    const char* name;
    const char* options;
    std::size_t files;  // per day a logger file of each field and a station file, and 4 measurement files
};

TEST(GeneratorOutput, SameOptionsGiveTheSameBytesTwice) {
    const OptionCase cases[] = {
        {"data problems in every kind", "--days 1 --rate 2 --seed 7 --cases-per-day 5", 7},
        {"without data problems", "--days 1 --rate 2 --seed 7 --cases-per-day 5 --no-data-problems", 7},
        {"across a month's end", "--days 2 --rate 1 --seed 3 --first-day 2014-08-31 --cases-per-day 6", 10},
    };
    for (const OptionCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.options);
        TempDir first, second;
        ASSERT_EQ(0, generate(first, c.options));
        ASSERT_EQ(0, generate(second, c.options));
        const auto a = treeOf(first);
        const auto b = treeOf(second);
        ASSERT_EQ(c.files, a.size());
        ASSERT_EQ(a.size(), b.size());
        for (const auto& [path, bytes] : a) {
            const auto other = b.find(path);
            ASSERT_NE(b.end(), other) << "only in the first run: " << path;
            EXPECT_TRUE(bytes == other->second) << "differs between runs: " << path;
        }
    }
}

// The share of each day inside the cases' windows, from the measurement-result files' case lines.
TEST(GeneratorOutput, WindowShareSetsTheDaysShareInWindows) {
    struct Case {
        const char* options;
        double lowPercent, highPercent;
        int shortest, longest;  // minutes of a case
    };
    const Case cases[] = {
        {"--cases-per-day 6", 15, 45, 30, 120},  // lengths as they always were
        {"--cases-per-day 6 --window-share 33", 28, 38, 40, 120},
        {"--cases-per-day 3 --window-share 10", 6, 14, 30, 72},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        TempDir root;
        ASSERT_EQ(0, generate(root, std::string("--days 6 --rate 1 --seed 5 ") + c.options));
        for (const auto& [path, bytes] : treeOf(root)) {
            if (path.find("Measurement Result") == std::string::npos) continue;
            double minutes = 0;
            for (const std::string& line : linesOf(bytes)) {
                const std::vector<std::string> f = fieldsOf(line);
                if (f.size() < 3 || f[1].empty() || !std::isdigit(static_cast<unsigned char>(f[1][0]))) continue;
                const int length = std::stoi(f[2]) - std::stoi(f[1]);
                EXPECT_GE(length, c.shortest) << line;
                EXPECT_LE(length, c.longest) << line;
                minutes += length;
            }
            const double percent = 100.0 * minutes / (6 * 1440);
            EXPECT_GE(percent, c.lowPercent) << path;
            EXPECT_LE(percent, c.highPercent) << path;
        }
    }
}

TEST(GeneratorOutput, DataProblemsChangeOnlyLoggerLinesAndKeepTsInRange) {
    const std::string options = "--days 1 --rate 2 --seed 7 --cases-per-day 5";
    TempDir withProblems, clean;
    ASSERT_EQ(0, generate(withProblems, options + " --list-problems"));
    ASSERT_EQ(0, generate(clean, options + " --no-data-problems"));
    const auto faulty = treeOf(withProblems);
    const auto plain = treeOf(clean);
    ASSERT_EQ(plain.size(), faulty.size());
    for (const auto& [path, bytes] : plain) {
        SCOPED_TRACE(path);
        const std::string& other = faulty.at(path);
        if (!isLoggerFile(path)) {
            EXPECT_TRUE(bytes == other) << "the data problems are in the logger files only";
            continue;
        }
        // The gap and the poor coverage take lines out; steps and spikes change values in place.
        EXPECT_LT(linesOf(other).size(), linesOf(bytes).size());
        EXPECT_NE(bytes, other);
        const auto lines = linesOf(other);
        for (std::size_t i = 4; i < lines.size(); ++i) {
            const auto f = fieldsOf(lines[i]);
            ASSERT_EQ(7u, f.size()) << lines[i];
            const double ts = std::stod(f[5]);
            // A sample outside (10, 40) would be left out by the programs instead of being a spike.
            EXPECT_TRUE(ts > 10.0 && ts < 40.0) << lines[i];
        }
    }
    // Four kinds in each field's seed file, listed once each.
    const std::string listing = readFile(withProblems.path() / "out.txt");
    for (const char* field : {"fence seed case ", "hill seed case "}) {
        for (const char* kind :
             {"): step at ", "): no logger lines ", " % of the seconds without logger lines", " spike samples"}) {
            const std::string wanted = std::string(field);
            std::size_t found = 0;
            for (const std::string& line : linesOf(listing))
                if (line.find(wanted) != std::string::npos && line.find(kind) != std::string::npos) ++found;
            EXPECT_EQ(1u, found) << field << kind << "\n" << listing;
        }
    }
}
#else
TEST(GeneratorOutput, NeedsTheHostGenerator) { GTEST_SKIP() << "the generator runs only in a native build"; }
#endif

}  // namespace
}  // namespace field
