#pragma once
// The view tests: each class is one Qt Test case run by main.cpp.

#include <QObject>

class WidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void typedKeys_data();
    void typedKeys();
    void numberEditUndoKeepsCaret();
    void hexEditPadsToItsDigits();
    void stringGridRowsAndPainter();
    void historyWheelScrollsLines();
    void logRendersMarkupRuns();
    void statusBarErrorIndicator();
};

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstRunKeepsDefaultsAndCreatesNothing();
    void roundTripKeepsEveryValue();
    void maximisedWindowKeepsGeometry();
    void wrongTypeKeepsDefault();
    void closingTheWindowWritesEveryValue();
    void maximisedWindowClosedKeepsGeometry();
};

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void tabsInOrderWithOwnerDrawnCaptions();
    void readsCorpusDiscFromTheArgument();
    void startUpFolder_data();
    void startUpFolder();
    void chosenFolderIsReadWithAutoRead_data();
    void chosenFolderIsReadWithAutoRead();
    void failedCheckLeavesNoDiscInTitle();
    void refusedIndexKeepsSaveDisabled();
    void readWaitsWhileAProgramRuns();
    void pageChangeSetsBottomBar_data();
    void pageChangeSetsBottomBar();
    void saveOnlyOnBdmvTab();
    void progressTakesThePanelsPlace();
    void backupModeFollowsCheckbox();
    void countryCodeClampedOnLeaving_data();
    void countryCodeClampedOnLeaving();
    void optionsReachWorkspaceAndLog();
    void shutDownRemovesTemporaryFiles();
};

class BdmvViewsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void corpusDiscFillsTheViews();
    void corpusDiscsSaveUnchanged();
    void rejectedIndexLeavesViewsDisabled();
    void invalidAndForbiddenRowsPainted();
    void commandCellPaintingRules();
    void insertAndDeleteObjects();
    void progressWhileBuildingCommands();
    void titleInsertAndDeleteByKeys();
    void firstPlaybackAndTopMenuOnOff();
    void titleBoxesStoreTheirValues();
    void composerEditsAreSaved();
    void gridKeysEditCommands();
    void doubleClickFollowsCommands();
    void saveProgramList_data();
    void saveProgramList();
    void traceStepsThroughProgram();
    void cancelStopsEndlessProgram();
    void registerPanelStoresAndShows();
    void resetAndDumpsUseOptions();
};

class UndoTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void undoAllGivesTheReadFilesRedoAllTheEdited();
    void typingIntoOneFieldIsOneStep();
};
