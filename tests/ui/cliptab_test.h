#pragma once
// The CLIPINF tab and the bottom bar's Find: run by main.cpp beside the
// cases of uitests.h.

#include "uitests.h"

class ClipTabTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void corpusClipFillsTheViews_data();
    void corpusClipFillsTheViews();
    void handMadeClipShowsEveryPanel();
    void autoReadFollowsTheOption_data();
    void autoReadFollowsTheOption();
    void followClipReadsOnce_data();
    void followClipReadsOnce();
    void missingStreamFile();
    void packetCountCorrection_data();
    void packetCountCorrection();
    void savePidEqualsCommandLine_data();
    void savePidEqualsCommandLine();
    void failedSaveIsReported();
    void savePidAsksBeforeReplacingAFile();
    void savePidOfADamagedOrEmptyStream();
    void cancelAsksAndLeavesNoFile_data();
    void cancelAsksAndLeavesNoFile();
    void closingDuringExportCancelsIt();
    void playAndMenuFromTheProgramView();
    void findFillsReferencedBy_data();
    void findFillsReferencedBy();
    void playlistFindListsPlayers();
    void demuxOptionsPersist();
};
