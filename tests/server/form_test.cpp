#include "server/form.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lw::server {
namespace {

struct FormCase {
  const char* name;
  std::string body;
  Form form;
};

void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }

class ServerFormTableTest : public ::testing::TestWithParam<FormCase> {};

TEST_P(ServerFormTableTest, SplitsAtAmpersandsThenAtTheFirstEquals) {
  EXPECT_EQ(ParseForm(GetParam().body), GetParam().form);
}

INSTANTIATE_TEST_SUITE_P(
    ServerForm, ServerFormTableTest,
    ::testing::Values(FormCase{"TheInfoForm",
                               "give=info&name=larkwatch&ver=0.1.0&country=Poland&language=Poland",
                               {{"give", "info"},
                                {"name", "larkwatch"},
                                {"ver", "0.1.0"},
                                {"country", "Poland"},
                                {"language", "Poland"}}},
                      // Values come as they are: a blank stays a blank, nothing is percent-decoded.
                      FormCase{"BlanksAndPercentsKept",
                               "country=Czech Republic&x=a%20b+c",
                               {{"country", "Czech Republic"}, {"x", "a%20b+c"}}},
                      FormCase{"OnlyTheFirstEqualsSplits", "path=a=b==c", {{"path", "a=b==c"}}},
                      FormCase{"CatalogueBackslashes",
                               "path=LarkWatch\\Tools\\Net",
                               {{"path", "LarkWatch\\Tools\\Net"}}},
                      FormCase{"EmptyValue", "ver=&give=info", {{"ver", ""}, {"give", "info"}}},
                      FormCase{"NoEquals", "flag&give=info", {{"flag", ""}, {"give", "info"}}},
                      FormCase{"EmptyPiecesSkipped", "&&give=info&&", {{"give", "info"}}},
                      FormCase{"EmptyName", "=x", {{"", "x"}}},
                      FormCase{"TrailingLineEndIsNotPartOfTheValue",
                               "give=dialparams&country=Poland\r\n",
                               {{"give", "dialparams"}, {"country", "Poland"}}},
                      FormCase{"ZeroByteKept",
                               std::string("country=Pol\0and", 15),
                               {{"country", std::string("Pol\0and", 7)}}},
                      FormCase{"Empty", "", {}}),
    [](const ::testing::TestParamInfo<FormCase>& info) { return std::string(info.param.name); });

TEST(ServerFormTest, TheFirstPieceOfANameCounts) {
  const Form form = ParseForm("give=info&give=file&ver=1");
  EXPECT_EQ(FormValue(form, "give"), "info");
  EXPECT_EQ(FormValue(form, "ver"), "1");
  EXPECT_EQ(FormValue(form, "Give"), std::nullopt);
  EXPECT_EQ(FormValue(form, "resume"), std::nullopt);
}

}  // namespace
}  // namespace lw::server
