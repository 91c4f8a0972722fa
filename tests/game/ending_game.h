#pragma once

#include <QByteArrayView>
#include <QStringList>
#include <QStringView>

#include "game/game.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/doubles.h"
#include "support/record_folder.h"

namespace brivadoro::testing {

inline constexpr QStringView kGoodbye = u"              Ciao a presto.";
// 48 characters, the last one a double quote.
inline constexpr QStringView kCongratulation = u"Ok ho registrato il tuo record, C A M P I O N E\"";
static_assert(kCongratulation.size() == 48);
inline constexpr QByteArrayView kOldName = "Bea\r\n";

// A game at its end: the record folder opened as start-up opens it, and the labels as play left them.
struct EndingGame {
    RecordFolder records;
    TestWorld world;
    Game game{world.services(), brivadoro::readSettings()};

    EndingGame(const QByteArray& storedScore, const QString& score, const QString& name) {
        records.write(kScoreFileName, storedScore);
        records.write(kNameFileName, kOldName.toByteArray());
        const RecordsAtStartup shown = testing::openChosenRecordFiles();
        game.Form_Load();
        game.board().lblpunti().setCaption(shown.score);
        game.board().lblnome().setCaption(shown.name);
        game.board().Punteggio().setCaption(score);
        game.board().lblnome1().setCaption(name);
        world.forget();
    }

    [[nodiscard]] QStringList boxTexts() const {
        QStringList texts;
        for (const ShownBox& box : world.dialogs.shown)
            texts << box.text;
        return texts;
    }
};

} // namespace brivadoro::testing
