#include <gtest/gtest.h>

#include <sstream>

#include "platform/DiagnosticStream.h"

namespace quimbo {
namespace {

TEST(DiagnosticStream, WritesAtOnceOrHoldsUntilTheScreenIsGivenBack) {
  std::ostringstream out;
  {
    DiagnosticStream held(out, true);
    held.report("first");
    held.report("second");
    EXPECT_EQ(out.str(), "") << "nothing while the screen is the front end's";
    held.release();
    EXPECT_EQ(out.str(), "quimbo: first\nquimbo: second\n");
    held.report("third");
    EXPECT_EQ(out.str(), "quimbo: first\nquimbo: second\nquimbo: third\n") << "at once after";
  }
  out.str("");
  {
    DiagnosticStream held(out, true);
    held.report("at exit");
  }
  EXPECT_EQ(out.str(), "quimbo: at exit\n") << "nothing is lost when nobody releases it";
  out.str("");
  DiagnosticStream direct(out, false);
  direct.report("now");
  EXPECT_EQ(out.str(), "quimbo: now\n");
}

}  // namespace
}  // namespace quimbo
