// The translation of the system's connection string into an ODBC string.
#include "platform/Db.h"

#include <gtest/gtest.h>

namespace {

std::string Sys(const std::string& address, const std::string& password = "pw", const std::string& app = "App") {
  return "Provider=SQLOLEDB.1;OLE DB Services=-4;Password=" + password + ";APP=" + app +
         ";Persist Security Info=True;User ID=user;Initial Catalog=db;Data Source=" + address;
}

TEST(OdbcConnectionString, AddressFormsAndQuotingForEachDriver) {
  const std::string tail = ";Database={db};UID={user};PWD={pw};APP={App};";
  struct Case {
    std::string address, driver, expected;
  } cases[] = {
      {"dbhost", "FreeTDS", "Driver={FreeTDS};Server={dbhost};Port={1433};TDS_Version={7.4}" + tail},
      {"127.0.0.1,14330", "FreeTDS", "Driver={FreeTDS};Server={127.0.0.1};Port={14330};TDS_Version={7.4}" + tail},
      {"srv\\SQLEXPRESS", "FreeTDS", "Driver={FreeTDS};Server={srv\\SQLEXPRESS};TDS_Version={7.4}" + tail},
      {"srv\\SQLEXPRESS", "SQL Server", "Driver={SQL Server};Server={srv\\SQLEXPRESS}" + tail},
      {"srv,1500", "SQL Server", "Driver={SQL Server};Server={srv,1500}" + tail},
      // Connection-string syntax in the address stays inside its value.
      {"evil;UID=sa;PWD=x", "SQL Server", "Driver={SQL Server};Server={evil;UID=sa;PWD=x}" + tail},
      {"a}b=c;Trusted_Connection=Yes", "SQL Server",
       "Driver={SQL Server};Server={a}}b=c;Trusted_Connection=Yes}" + tail},
      {"", "SQL Server", "Driver={SQL Server};Server={}" + tail},
  };
  for (const Case& c : cases)
    EXPECT_EQ(plat::OdbcConnectionString(Sys(c.address), c.driver), c.expected) << c.address;
}

TEST(OdbcConnectionString, BracesInValuesAreDoubledAndEqualsSignsKept) {
  EXPECT_EQ(plat::OdbcConnectionString(Sys("h,1", "p}w=1", "KARVO=Service (Backup)"), "FreeTDS"),
            "Driver={FreeTDS};Server={h};Port={1};TDS_Version={7.4};Database={db};UID={user};"
            "PWD={p}}w=1};APP={KARVO=Service (Backup)};");
  EXPECT_EQ(plat::OdbcConnectionString(Sys("h"), "Driver}X"),
            "Driver={Driver}}X};Server={h};Database={db};UID={user};PWD={pw};APP={App};");
}

TEST(OdbcConnectionString, UnknownKeysAndSegmentsWithoutValueAddNothing) {
  EXPECT_EQ(plat::OdbcConnectionString("Driver=Evil;junk;;User ID=u;Data Source=h,2", "FreeTDS"),
            "Driver={FreeTDS};Server={h};Port={2};TDS_Version={7.4};Database={};UID={u};PWD={};APP={};");
  // Without Data Source there is no Server key at all.
  EXPECT_EQ(plat::OdbcConnectionString("", "SQL Server"), "Driver={SQL Server};Database={};UID={};PWD={};APP={};");
}

}  // namespace
