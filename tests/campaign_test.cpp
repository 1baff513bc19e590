// The campaign: the built-in 2014 campaign as the programs always had it, the
// checks of a campaign file (each bad file with its message), and day indexes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "campaign_2014.hpp"
#include "input/campaign_file.hpp"
#include "input/day_index.hpp"
#include "run/run_options.hpp"
#include "test_support.hpp"
#include "wind/source_site.hpp"

namespace field {
namespace {

TEST(BuiltInCampaign, FieldsAsTheTablesHaveAlwaysHadThem) {
    struct Case {
        int field;
        int samplers, deposition, concentration;
        const char* sourcePoint;
        const char* mastTop;
        const char* pattern;
        const char* windDirectory;
    };
    const Case cases[] = {
        {0, 14, 9, 5, "FD9", "FRA", "*_data.DAT",
         "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\FenceFieldExperiment\\2014 Fence field wind Data\\"},
        {1, 36, 17, 19, "HD17", "H1A", "*_SONIC.DAT",
         "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\HillExperiment\\2014 Hill field wind Data\\"},
    };
    const Campaign& c = campaign2014();
    ASSERT_EQ(2u, c.fields.size());
    EXPECT_EQ((std::vector<std::string>{"seed", "pollen"}), c.materials);
    EXPECT_EQ(2014, c.year);
    for (const Case& k : cases) {
        const FieldLayout& f = c.fields[static_cast<std::size_t>(k.field)];
        SCOPED_TRACE(f.name);
        EXPECT_EQ(k.samplers, f.samplerCount());
        EXPECT_EQ(k.deposition, static_cast<int>(f.deposition.size()));
        EXPECT_EQ(k.concentration, static_cast<int>(f.concentration.size()));
        EXPECT_EQ(k.sourcePoint, f.sampler(f.sourcePointSampler).id);
        EXPECT_EQ(k.mastTop, f.sampler(f.mast.at(0).sampler).id);
        EXPECT_EQ(k.pattern, f.loggerFilePattern);
        EXPECT_EQ(k.windDirectory, f.windDirectory);
        for (std::size_t m = 0; m < 2; ++m) {
            const std::string material = m == 0 ? "Seed" : "Pollen";
            EXPECT_EQ("C:\\Vantrel\\2014 TN " + material + " Data\\Measurement Result\\2014 TN " + material +
                          " Concentration and Deposition Result_" + f.name + ".txt",
                      f.measurementResultPaths[m]);
            EXPECT_EQ("2014 TN " + material + " Whole Data_" + f.name + ".txt", f.wholeDataTables[m]);
            EXPECT_EQ("2014 TN " + material + " Test Cases_" + f.name + ".txt", f.testCaseTables[m]);
        }
        // The first eight deposition samplers are the rings, inner ring at 0/90/180/270 degrees first.
        EXPECT_EQ((std::array<int, 4>{1, 5, 2, 6}), f.rings[0].atBearing);
        EXPECT_EQ((std::array<int, 4>{0, 4, 3, 7}), f.rings[1].atBearing);
    }
    EXPECT_EQ("C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\HillExperiment\\2014 weather station\\2014 weather station\\",
              c.stationDirectory);
}

// The statistics take these in float: the decimals of the file must give the very floats
// the programs were compiled with.
TEST(BuiltInCampaign, SourceSiteGivesTheHistoricalFloats) {
    for (const FieldLayout& f : campaign2014().fields) {
        const SourceSite site = sourceSiteOf(campaign2014(), f);
        SCOPED_TRACE(f.name);
        EXPECT_EQ(1.3f, site.canopyHeight);
        EXPECT_EQ(0.13f, site.roughnessLength);
        EXPECT_EQ(static_cast<float>(std::log(10.0)), site.logCanopyOverRoughness);
        EXPECT_EQ((std::vector<float>{5.0f, 3.15f, 2.225f, 1.3f, 0.5f}), site.mastHeights);
        EXPECT_EQ((std::vector<float>{1.85f, 1.3875f, 0.925f, 0.8625f, 0.9f}), site.mastLayers);
        EXPECT_EQ(3.0, site.innerRadius);
        EXPECT_EQ(3.0, site.ringSpacing);
        EXPECT_EQ(6.0, site.balanceLength);
    }
}

// The built-in file states every rule; each must be the default the code documents.
TEST(BuiltInCampaign, QualityRulesAreTheDefaults) {
    const QualityRules& q = campaign2014().quality;
    const QualityRules d;
    EXPECT_EQ(d.coverageFlag1, q.coverageFlag1);
    EXPECT_EQ(d.coverageFlag2, q.coverageFlag2);
    EXPECT_EQ(d.gapFlag1, q.gapFlag1);
    EXPECT_EQ(d.gapFlag2, q.gapFlag2);
    EXPECT_EQ(d.spikeShareFlag1, q.spikeShareFlag1);
    EXPECT_EQ(d.spikeShareFlag2, q.spikeShareFlag2);
    EXPECT_EQ(d.spikeWindowMinutes, q.spikeWindowMinutes);
    EXPECT_EQ(d.spikeThreshold, q.spikeThreshold);
    EXPECT_EQ(d.spikeThresholdStep, q.spikeThresholdStep);
    EXPECT_EQ(d.spikePasses, q.spikePasses);
    EXPECT_EQ(d.spikeMaxRun, q.spikeMaxRun);
    EXPECT_EQ(d.windLimit, q.windLimit);
    EXPECT_EQ(d.intervalDraws, q.intervalDraws);
    EXPECT_EQ(d.intervalSeed, q.intervalSeed);
    EXPECT_EQ(d.roughnessLengthFactor, q.roughnessLengthFactor);
    EXPECT_EQ(d.canopyHeightFactor, q.canopyHeightFactor);
    EXPECT_EQ(d.mastReadingFactor, q.mastReadingFactor);
    EXPECT_EQ(d.sourceSpreadFlag1, q.sourceSpreadFlag1);
    EXPECT_EQ(qualityRuleNames().size(), 18u);
}

TEST(QualityRules, EachRuleCheckedByName) {
    struct Case {
        const char* name;
        double value;
        const char* error;  // empty: accepted
    };
    const Case cases[] = {
        {"coverage_flag1", 70, ""},
        {"coverage_flag1", 101, "must lie between 0 and 100"},
        {"spike_passes", 2.5, "must be a whole number"},
        {"spike_passes", 3, ""},
        {"spike_thresold", 4, "unknown quality rule"},
        {"wind_limit", 0.5, "must lie between 1 and 1000"},
    };
    for (const Case& c : cases) {
        QualityRules rules;
        std::string error;
        EXPECT_EQ(std::string(c.error).empty(), setQualityRule(rules, c.name, c.value, error)) << c.name;
        EXPECT_EQ(c.error, error) << c.name;
    }
    QualityRules crossed;
    crossed.coverageFlag2 = 90;
    EXPECT_EQ("coverage_flag2 must not lie above coverage_flag1", qualityRulesProblem(crossed));
}

TEST(DayCalendar, DayIndexesAcrossMonthEnds) {
    const DayCalendar rule2014{};
    const DayCalendar june = calendarFrom(2015, 6, 1);
    const DayCalendar winter = calendarFrom(2015, 12, 30);
    struct Case {
        const DayCalendar* calendar;
        int year, month, day;
        std::int64_t index;
    };
    const Case cases[] = {
        {&rule2014, 2014, 8, 1, 1},
        {&rule2014, 2014, 8, 31, 31},
        {&rule2014, 2014, 9, 1, 32},
        {&rule2014, 2014, 9, 30, 61},
        {&rule2014, 2014, 10, 1, 62},
        {&rule2014, 2014, 6, 1, 62},
        {&rule2014, 1999, 7, 1, 62},  // the 2014 rule knows no year and no month before August
        {&june, 2015, 6, 1, 1},
        {&june, 2015, 6, 30, 30},
        {&june, 2015, 7, 1, 31},
        {&june, 2015, 7, 31, 61},
        {&june, 2015, 8, 1, 62},
        {&june, 2015, 9, 30, 122},
        {&june, 2015, 10, 1, 123},
        {&june, 2015, 10, 31, 153},
        {&june, 2015, 5, 31, 0},
        {&winter, 2015, 12, 31, 2},
        {&winter, 2016, 1, 1, 3},
        {&winter, 2016, 2, 29, 62},
        {&winter, 2016, 3, 1, 63},
        // Dates no calendar holds still give a number, never undefined behaviour.
        {&june, 2015, 13, 1, 215},
        {&june, 2015, 0, 1, -181},
        {&june, 2015, 6, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.index, c.calendar->dayIndex(c.year, c.month, c.day))
            << c.year << "-" << c.month << "-" << c.day << (c.calendar == &rule2014 ? " (2014 rule)" : "");
    // Extreme inputs stay within 64 bits.
    EXPECT_GT(june.dayIndex(INT32_MAX, INT32_MAX, INT32_MAX), 0);
    EXPECT_LT(june.dayIndex(INT32_MIN, INT32_MIN, INT32_MIN), 0);
}

TEST(CampaignFile, EachBadFileGetsItsMessage) {
    struct Case {
        const char* what;
        std::string text;
        const char* message;  // the whole "file:line:column: key: reason"
    };
    const Case cases[] = {
        {"TOML syntax", builtInWith("year = 2014", "year = = 2014"), "c.toml:9:8: not TOML: "},
        {"misspelt key", builtInWith("canopy_height", "canopy_hieght"),
         "c.toml:25:1: wind_profile.canopy_hieght: unknown key (did you mean canopy_height?)"},
        {"misspelt top key", builtInWith("materials =", "material ="),
         "c.toml:10:1: material: unknown key (did you mean materials?)"},
        {"wrong type", builtInWith("year = 2014", "year = \"2014\""),
         "c.toml:9:8: year: must be a whole year from 1 to 9999"},
        {"number as text", builtInWith("balance_length = 6.0", "balance_length = \"6\""),
         "c.toml:37:18: fields[0].balance_length: must be a number, not a text"},
        {"duplicate sampler", builtInWith("id = \"FD2\"", "id = \"FD1\""),
         "c.toml:41:10: fields[0].samplers[1].id: sampler FD1 is named twice"},
        {"source point names no sampler", builtInWith("source_point = \"FD9\"", "source_point = \"FD99\""),
         "c.toml:36:16: fields[0].source_point: names no sampler of the field: FD99"},
        {"mast level names no sampler", builtInWith("sampler = \"FRB\"", "sampler = \"FRX\""),
         "c.toml:63:15: fields[0].mast[1].sampler: names no sampler of the field: FRX"},
        {"mast level of a deposition sampler", builtInWith("sampler = \"FRB\"", "sampler = \"FD2\""),
         "c.toml:63:15: fields[0].mast[1].sampler: sampler FD2 is a deposition sampler, not a concentration one"},
        {"mast heights not falling", builtInWith("height = 3.15", "height = 5.0"),
         "c.toml:63:31: fields[0].mast[1].height: mast heights must fall strictly from the top level down"},
        {"ring lacks a bearing", builtInWith(", at_270 = \"FD7\"", ""),
         "c.toml:57:3: fields[0].rings[0]: lacks the sampler at 270 degrees (at_270)"},
        {"unknown placeholder", builtInWith("{year} TN {Material} Whole", "{season} TN {Material} Whole"),
         "c.toml:21:20: paths.whole_data_table: unknown placeholder {season} (known: {year}, {field}, {Field}, "
         "{material}, {Material})"},
        {"placeholder without meaning",
         builtInWith("{year} weather station\\{year}", "{field} weather station\\{year}"),
         "c.toml:20:19: paths.weather_station: {field} has no meaning here: it names no field"},
        {"deposition after concentration",
         builtInWith("  { id = \"FRE\", kind = \"concentration\"", "  { id = \"FRE\", kind = \"deposition\""),
         "c.toml:53:24: fields[0].samplers[13].kind: deposition sampler FRE after a concentration sampler: a "
         "block lists deposition first"},
        {"both day rules",
         builtInWith("day_index = \"august-september\"", "day_index = \"august-september\"\nfirst_day = 2015-06-01"),
         "c.toml:12:1: calendar: needs either day_index = \"august-september\" or first_day = YYYY-MM-DD"},
    };
    for (const Case& c : cases) {
        try {
            readCampaign(c.text, "c.toml");
            ADD_FAILURE() << c.what << ": no error";
        } catch (const CampaignError& e) {
            const std::string message = e.what();
            EXPECT_EQ(std::string(c.message), message.substr(0, std::string(c.message).size())) << c.what;
        }
    }
}

// The TOML library's Unicode tables reached an "unreachable" case for letters U+00A1 to U+0499
// where whitespace may stand (the sanitizer build tells undefined behaviour apart).
TEST(CampaignFile, LetterWhereWhitespaceMayStandIsAnErrorNotUndefinedBehaviour) {
    for (const char* letter : {"\xc3\xbc", "\xcb\x88", "\xd2\x99", "\xc2\xa1"}) {  // ü, ˈ, ҙ, ¡
        EXPECT_THROW(readCampaign(builtInWith("year = 2014", std::string("year = 20") + letter + "14"), "u.toml"),
                     CampaignError)
            << letter;
    }
    const CampaignPtr named =
        readCampaign(builtInWith("name = \"2014 TN", "name = \"M\xc3\xbcncheberg 2014 TN"), "n.toml");
    EXPECT_EQ("M\xc3\xbcncheberg 2014 TN seed and pollen dispersal", named->name);
}

TEST(CampaignFile, PrintedBuiltInReadsBackToTheSameCampaign) {
    const CampaignPtr again = readCampaign(campaign2014().sourceText, "again.toml");
    for (std::size_t i = 0; i < 2; ++i) {
        const FieldLayout& a = campaign2014().fields[i];
        const FieldLayout& b = again->fields[i];
        EXPECT_EQ(a.windDirectory, b.windDirectory);
        EXPECT_EQ(a.measurementResultPaths, b.measurementResultPaths);
        EXPECT_EQ(a.samplerCount(), b.samplerCount());
    }
    EXPECT_EQ("again.toml", again->sourceName);
}

TEST(CampaignFile, FirstDayAndYearFromTheFile) {
    const CampaignPtr c = readCampaign(
        builtInWith("day_index = \"august-september\"", "first_day = 2015-06-01").replace(0, 0, ""), "x.toml");
    EXPECT_TRUE(c->calendar.fromFirstDay);
    EXPECT_EQ(1, c->calendar.dayIndex(2015, 6, 1));
    const CampaignPtr later = readCampaign(builtInWith("year = 2014", "year = 2015"), "y.toml");
    EXPECT_EQ("2015 TN Seed Whole Data_fence.txt", later->fields[0].wholeDataTables[0]);
    EXPECT_EQ("C:\\Vantrel\\2015 TN Seed Data\\Raw Data\\HillExperiment\\2015 weather station\\2015 weather station\\",
              later->stationDirectory);
}

TEST(SiteFacts, TheCommandLineWinsOverTheCampaignFieldByField) {
    std::string text = builtInWith("# latitude = 35.9", "latitude = 35.9");
    text.replace(text.find("# sonic_height = 2.0"), 20, "sonic_height = 2.0");  // the fence field's
    const CampaignPtr c = readCampaign(text, "site.toml");
    ASSERT_EQ(2.0, c->fields[0].sonicHeight.value_or(0));
    SiteFacts none;
    SiteFacts given;
    given.sonicHeights["fence"] = 2.5;
    given.sonicHeights["hill"] = 3.5;
    given.latitude = -10;
    struct Case {
        const SiteFacts* facts;
        int field;
        std::optional<double> height, latitude;
    };
    const Case cases[] = {
        {&none, 0, 2.0, 35.9}, {&none, 1, std::nullopt, 35.9}, {&given, 0, 2.5, -10}, {&given, 1, 3.5, -10}};
    for (const Case& k : cases) {
        const QualitySite site = k.facts->forField(c->fields[static_cast<std::size_t>(k.field)], *c);
        EXPECT_EQ(k.height, site.sonicHeight) << k.field;
        EXPECT_EQ(k.latitude, site.latitude) << k.field;
    }
    EXPECT_FALSE(none.forField(campaign2014().fields[0], campaign2014()).latitude);
}

TEST(CampaignFile, MissingFileSaysSo) {
    testing::TempDir dir;
    try {
        loadCampaignFile((dir.path() / "none.toml").string());
        ADD_FAILURE() << "no error";
    } catch (const CampaignError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("none.toml: the campaign file cannot be opened"))
            << e.what();
    }
}

}  // namespace
}  // namespace field
