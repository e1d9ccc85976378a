#include "support/postgres.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

TEST(ServerDatabase, TestServerAnswersThroughQtDriver)
{
    ZENTHRA_REQUIRE_POSTGRES();
    {
        QSqlDatabase db = zenthra::test::openPostgres("smoke");
        ASSERT_TRUE(db.isOpen()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("SELECT 1")) << q.lastError().text().toStdString();
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
    }
    QSqlDatabase::removeDatabase("smoke");
}
