#include "version_info.h"

#include <QDate>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(VersionInfo, FileVersionHasFourNumbersAndCommentsHoldTheBuildDate) {
    const VersionInfo v = VersionInfo::Program();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$"))
                    .match(v.FileVersion)
                    .hasMatch())
        << v.FileVersion.toStdString();
    const QDate d = QLocale(QLocale::English).toDate(v.CommentsText, QStringLiteral("d MMMM yyyy"));
    ASSERT_TRUE(d.isValid()) << v.CommentsText.toStdString();
    EXPECT_LE(d, QDate::currentDate());
    EXPECT_GT(d, QDate(2025, 1, 1));
}
