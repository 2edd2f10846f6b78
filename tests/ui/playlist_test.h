#pragma once
// The PLAYLIST tab's views, driven by clicks and keys.

#include <QObject>

class PlaylistViewsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void demoDiscFillsEveryView();
    void editsByClicksAndKeysUndoRedoAndSave_data();
    void editsByClicksAndKeysUndoRedoAndSave();
    void markTimesOutsideThePlayItemAreRefused();
    void inTimeQuestionsAreAskedOneByOne();
    void chaptersLoadAsOneStepAndSave();
    void streamPidsComeFromTheClip();
    void wideStoredValuesShowWhole();
    void corpusBlankPlaylistShowsAndSavesUnchanged();
    void everyCorpusPlaylistShowsAndSavesUnchanged();
    void timelineClicksSelectInTheGrids();
    void timelineReadsInLightAndDarkPalettes();
    void doubleClickOnAClipAsksForTheClipTab();
    void readsNeverDropUnsavedEdits();
    void closingAsksAndSavesThePlaylistRead_data();
    void closingAsksAndSavesThePlaylistRead();
    void chapterFormatOptionIsKept();
};
