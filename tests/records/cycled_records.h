#pragma once

#include <array>
#include <utility>

#include <QString>

namespace brivadoro::testing {

using namespace Qt::StringLiterals;

// The records that record_writer_helper writes in turn, each pair a score and a name. The long name
// makes sure that a file cut short could never pass for a whole one.
inline std::array<std::pair<QString, QString>, 3> cycledRecords() {
    return {{
        {u" 1111"_s, u"Anna"_s},
        {u"22222"_s, QString(20'000, u'B')},
        {u" 333"_s, u"Zo\u00EB \U0001F600"_s},
    }};
}

} // namespace brivadoro::testing
