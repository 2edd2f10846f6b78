#include "navdb/fixtures.h"
#include "navdb/index_io.h"
#include "navdb/json.h"
#include "navdb/movieobject_io.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;
using json = nlohmann::ordered_json;

TEST(Json, IndexUsesTheSyntaxNames) {
    RawIndex r;
    r.provider = "Caf\xE9";  // Latin-1: not UTF-8
    r.titles = {{1, 2, 1, 4, ""}, {2, 0, 2, 0, "00003"}};
    r.extStart = 78 + 4 + 26 + 24;
    r.extBlock = rawExtBlock(6);
    const json j = toJson(readIndex(rawIndex(r), "index.bdmv"));
    EXPECT_EQ(j["type_indicator"], "INDX");
    EXPECT_EQ(j["version"], "0200");
    EXPECT_EQ(j["Indexes_start_address"], 78);
    EXPECT_EQ(j["ExtensionData_start_address"], 132);
    EXPECT_EQ(j["AppInfoBDMV"]["content_provider_user_data"], "Caf\u00e9");
    const json& ix = j["Indexes"];
    EXPECT_EQ(ix["length"], 50);
    EXPECT_EQ(ix["number_of_Titles"], 2);
    EXPECT_EQ(ix["FirstPlayback"], (json{{"object_type", 1}, {"playback_type", 1}, {"mobj_id_ref", 2}}));
    EXPECT_EQ(ix["Titles"][0], (json{{"title_number", 1},
                                     {"object_type", 1},
                                     {"access_type", 2},
                                     {"playback_type", 1},
                                     {"mobj_id_ref", 4}}));
    EXPECT_EQ(ix["Titles"][1]["bdjo_file_name"], "00003");
    EXPECT_FALSE(ix["Titles"][1].contains("mobj_id_ref"));
    const json& ext = j["ExtensionData"];
    EXPECT_EQ(ext["length"], 26);
    EXPECT_EQ(ext["number_of_ext_data_entries"], 1);
    EXPECT_EQ(ext["ext_data_entries"][0],
              (json{{"ID1", 0x1000}, {"ID2", 0x0100}, {"ext_data_start_address", 24}, {"ext_data_length", 6}}));
    EXPECT_EQ(ext["data_length"], 6);
    EXPECT_NO_THROW((void)j.dump());
}

TEST(Json, MovieObjectsWithCommandsAsThreeNumbers) {
    RawMobj r;
    r.objects = {{1, 0, 1, {{0x50400001, 0x0000000A, 0x00656E67}}}, {0, 1, 0, {}}};
    const json j = toJson(readMovieObjects(rawMobj(r), "MovieObject.bdmv"));
    EXPECT_EQ(j["type_indicator"], "MOBJ");
    EXPECT_EQ(j["ExtensionData_start_address"], 0);
    EXPECT_FALSE(j.contains("ExtensionData"));
    const json& mo = j["MovieObjects"];
    EXPECT_EQ(mo["length"], 6 + 16 + 4);
    EXPECT_EQ(mo["number_of_mobjs"], 2);
    const json& o = mo["MovieObject"][0];
    EXPECT_EQ(o["resume_intention_flag"], 1);
    EXPECT_EQ(o["menu_call_mask"], 0);
    EXPECT_EQ(o["title_search_mask"], 1);
    EXPECT_EQ(o["number_of_navigation_commands"], 1);
    EXPECT_EQ(o["navigation_commands"], json::array({json::array({0x50400001u, 10u, 0x00656E67u})}));
    EXPECT_EQ(mo["MovieObject"][1]["navigation_commands"], json::array());
}
