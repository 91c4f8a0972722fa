#include <sys/stat.h>

#include <QTest>

#include "diary/diary_reader.h"
#include "support/diary_files.h"
#include "support/record_folder.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::diaryBytes;
using brivadoro::testing::diaryGame;
using brivadoro::testing::RecordFolder;
using brivadoro::testing::writeDiaryFile;

namespace {

QByteArray line(int score) {
    return encodeDiaryLine(diaryGame(u"Anna"_s, score));
}

struct Read {
    QList<int> scores;
    QStringList skipped;
};

Read readAll(const RecordFolder& records, const QDate& since = {}) {
    Read read;
    const DiaryReading reading =
        readDiary(records.path(u"diario/"), since, [&](const DiaryEntry& entry, const DiaryAccount& account) {
            QCOMPARE(account.uid, ::geteuid());
            read.scores << entry.score;
        });
    read.skipped = reading.skipped;
    return read;
}

} // namespace

class DiaryReaderTest : public QObject {
    Q_OBJECT

private slots:
    // What a power cut, a pupil's editor or a broken disk leaves in a file costs that line alone: the
    // entries around it are read, and the line is counted.
    void badLinesCostThemselvesAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QDate>("since");
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<QString>("skipped");
        const QByteArray header = kDiaryHeader.toByteArray();
        const QByteArray torn = line(2).first(20);
        QTest::newRow("torn line before the next entry")
            << header + line(1) + torn + '\n' + line(3) << QDate() << QList{1, 3} << u"1 riga saltata"_s;
        QTest::newRow("last line cut short")
            << header + line(1) + line(2).chopped(1) << QDate() << QList{1} << u"1 riga saltata"_s;
        QTest::newRow("garbage and a blank line")
            << header + "ciao\n\n" + line(1) << QDate() << QList{1} << u"2 righe saltate"_s;
        QTest::newRow("a megabyte of garbage") << header + QByteArray(1 << 20, 'x') + '\n' + line(1)
                                               << QDate() << QList{1} << u"1 riga saltata"_s;
        QTest::newRow("a megabyte-long name")
            << header + encodeDiaryLine(diaryGame(QString(1 << 20, u'a'), 5)) + line(1) << QDate() << QList{1}
            << u"1 riga saltata"_s;
        QTest::newRow("invalid UTF-8") << header + line(1).replace("Anna", "An\xff\xfe") + line(2) << QDate()
                                       << QList{2} << u"1 riga saltata"_s;
        QTest::newRow("comments are no entries")
            << header + "# nota\n" + line(1) << QDate() << QList{1} << QString();
        QTest::newRow("header cut short")
            << header.first(20) + '\n' + line(1) << QDate() << QList{1} << u"1 riga saltata"_s;
        QTest::newRow("no header") << line(1) + line(2) << QDate() << QList<int>{}
                                   << u"non è un file del diario"_s;
        QTest::newRow("since keeps that day")
            << diaryBytes({diaryGame(u"Anna"_s, 1, u"2026-12-09"), diaryGame(u"Anna"_s, 2, u"2026-12-10"),
                           diaryGame(u"Anna"_s, 3, u"2027-01-02")})
            << QDate(2026, 12, 10) << QList{2, 3} << QString();
        QByteArray huge = header + line(1);
        const QByteArray comment = "#" + QByteArray(1023, '-') + '\n';
        while (huge.size() < kDiaryFileReadLimit)
            huge += comment;
        QTest::newRow("past the reading limit")
            << huge + line(2) << QDate() << QList{1} << u"letti solo i primi 64 MiB"_s;
    }
    void badLinesCostThemselvesAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(QDate, since);
        const RecordFolder records;
        writeDiaryFile(records, u"anna"_s, bytes);
        writeDiaryFile(records, u"bruno"_s, diaryBytes({diaryGame(u"Bruno"_s, 100)}));

        const Read read = readAll(records, since);
        QFETCH(QList<int>, scores);
        QCOMPARE(read.scores, scores << 100); // the next file is read whatever this one holds
        QFETCH(QString, skipped);
        QCOMPARE(read.skipped.size(), skipped.isEmpty() ? 0 : 1);
        if (!skipped.isEmpty())
            QVERIFY2(read.skipped.first().startsWith(records.path(u"diario/anna: ")) &&
                         read.skipped.first().contains(skipped),
                     qPrintable(read.skipped.first()));
    }

    // A link, a folder or a pipe among the files is named and skipped; none is followed, and a pipe
    // never holds the report up.
    void skipsWhatIsNoFile() {
        const RecordFolder records;
        writeDiaryFile(records, u"anna"_s, diaryBytes({diaryGame(u"Anna"_s, 7)}));
        const QString diary = records.path(u"diario/");
        QFile::link(diary + u"anna"_s, diary + u"link"_s);
        QDir().mkpath(diary + u"cartella"_s);
        ::mkfifo(QFile::encodeName(diary + u"tubo"_s).constData(), 0600);

        const Read read = readAll(records);
        QCOMPARE(read.scores, QList{7});
        QCOMPARE(read.skipped, (QStringList{diary + u"cartella: è una cartella, saltata"_s,
                                            diary + u"link: è un collegamento simbolico, saltato"_s,
                                            diary + u"tubo: non è un file normale, saltato"_s}));
    }

    void linkedFolderIsNotFollowed() {
        const RecordFolder records;
        writeDiaryFile(records, u"anna"_s, diaryBytes({diaryGame(u"Anna"_s, 7)}));
        QDir().rename(records.path(u"diario"), records.path(u"altrove"));
        QFile::link(records.path(u"altrove"), records.path(u"diario"));
        QCOMPARE(readDiary(records.path(u"diario/"), {}, {}).folder, DiaryFolderState::Unreadable);
    }
};

QTEST_GUILESS_MAIN(DiaryReaderTest)
#include "tst_diary_reader.moc"
