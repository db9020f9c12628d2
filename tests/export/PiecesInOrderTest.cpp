#include "export/PiecesInOrder.h"

#include <QString>

#include <gtest/gtest.h>

#include <atomic>

// Whatever thread made a piece, they arrive in their order, and a stop ends the use at once.
TEST(PiecesInOrder, ArriveInOrderAndStopAtTheFirstRefusal) {
    for (int count : {0, 1, 2, 5, 8}) {
        std::atomic<int> made = 0;
        const std::function<QString(int)> make = [&](int k) {
            ++made;
            return QString::number(k);
        };
        QString seen;
        const std::function<bool(QString &)> use = [&](QString &piece) {
            seen += piece;
            return true;
        };
        EXPECT_TRUE(usePiecesInOrder(count, make, use));
        EXPECT_EQ(seen, QString("01234567").left(count));
        EXPECT_EQ(made, count);
    }
    QString seen;
    const std::function<QString(int)> make = [](int k) { return QString::number(k); };
    const std::function<bool(QString &)> refuseThird = [&](QString &piece) {
        seen += piece;
        return seen.size() < 3;
    };
    EXPECT_FALSE(usePiecesInOrder(9, make, refuseThird));
    EXPECT_EQ(seen, "012");
}
