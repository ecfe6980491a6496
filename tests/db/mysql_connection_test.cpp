#include "db/connection_info.h"
#include "db/db_connection.h"
#include "db/driver_registry.h"

#include <gtest/gtest.h>

TEST(MySqlConnection, AClosedPortGivesTheLibrarysMessageWithDetails) {
  std::shared_ptr<IDbConnection> connection;
  wxString error;
  EXPECT_FALSE(OpenConnection("ServerType=MySQL;Driver=MySQL (MariaDB Connector/C);Server=127.0.0.1;Port=1;User ID=x",
                              &connection, nullptr, &error));
  EXPECT_TRUE(error.Contains("Can't connect")) << error;
  EXPECT_TRUE(error.Contains("\nClient library: ")) << error;
  EXPECT_TRUE(error.Contains("\nSSL options: verify=0 enforce=0 use_ssl=0 client_flag_ssl=0")) << error;
}

TEST(MySqlConnection, ReportsNotConnectedBeforeOpening) {
  RegisterBuiltinDrivers();
  auto connection = DriverRegistry::instance().find("MySQL (MariaDB Connector/C)")->createConnection();
  EXPECT_FALSE(connection->isConnected());
  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection->execute("SELECT 1", &result, &error));
  EXPECT_EQ(error, "MySQL is not connected.");
  connection->close();
}
