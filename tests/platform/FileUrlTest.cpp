#include "platform/FileUrl.h"
#include "platform/NativePath.h"

#include <gtest/gtest.h>

// A file manager drops "caf%E9.txt" for a Latin-1 name: the byte must survive, where Qt's own
// reading gives U+FFFD and so a path that names nothing.
TEST(FileUrl, DroppedNamesKeepTheirBytes) {
    const QString latin1 = decodeNativeName("/tmp/caf\xe9 #1.txt");
    EXPECT_EQ(localPathOf(QUrl::fromEncoded("file:///tmp/caf%E9%20%231.txt")), latin1);
    EXPECT_EQ(localPathOf(fileUrlOf(latin1)), latin1);
    EXPECT_EQ(localPathOf(QUrl::fromEncoded("file:///tmp/%E6%97%A5%20x.txt")),
              QStringLiteral("/tmp/日 x.txt"));
    EXPECT_EQ(localPathOf(fileUrlOf(QStringLiteral("/tmp/日 #?.txt"))),
              QStringLiteral("/tmp/日 #?.txt"));
    EXPECT_EQ(localPathOf(QUrl(QStringLiteral("https://example.org/a.txt"))), QString());
}
