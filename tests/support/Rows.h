#pragma once

#include <QTest>

namespace corvantis::test {

// One data row per case, named by the case's first member.
template <typename Case> void addRows(std::initializer_list<Case> cases) {
    QTest::addColumn<Case>("c");
    for (const Case &c : cases)
        QTest::newRow(c.name) << c;
}

} // namespace corvantis::test
