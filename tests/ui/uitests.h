#pragma once
// The view tests: each class is one Qt Test case run by main.cpp.

#include "support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QTest>
#include <QTimer>
#include <QWidget>

// The Qt Test form of NAVORA_NEED_CORPUS: skips the calling test with one
// clear message when the corpus (or its sub-folder) is absent, or fails it
// when the corpus is required.
#define NAVORA_NEED_CORPUS_QT(...)                                                       \
    do {                                                                                 \
        if (const auto navoraMissing = ::navora::test::corpusMissing(__VA_ARGS__)) {     \
            if (::navora::test::corpusRequired()) QFAIL(navoraMissing->c_str());         \
            QSKIP(navoraMissing->c_str());                                               \
        }                                                                                \
    } while (0)

// Makes w the active window, as a click on it (or the window manager, when
// a dialog closes) would; the offscreen platform does not do it by itself.
inline void activate(QWidget* w) {
    w->activateWindow();
    QApplication::setActiveWindow(w);
    if (!QTest::qWaitForWindowActive(w)) qWarning("window not active");
}

// Shows w and makes it the active window, as a window manager does with a
// new window.
inline void showActive(QWidget* w) {
    w->show();
    if (!QTest::qWaitForWindowExposed(w)) qWarning("window not exposed");
    activate(w);
}

// Answers the next message box by clicking one of its buttons, as a user
// does; keeps the box's text. A box that never comes leaves `asked` empty.
struct Answer {
    explicit Answer(QMessageBox::StandardButton button) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, button] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(top);
                if (!box || !box->isVisible()) continue;
                timer.stop();
                asked = box->text() + "\n" + box->informativeText();
                QTest::mouseClick(box->button(button), Qt::LeftButton);
                return;
            }
        });
        timer.start();
    }
    QTimer timer;
    QString asked;
};

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

class CliEditViewsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void clicksSaveWhatTheCliWrites();
    void deletedGoToTargetMovesToTheNextLine();
    void typedLinesPasteIntoTheProgram();
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
    void operandValuesThatDoNotFitAreRefused();
    void startShowsWhereTheRunEnded();
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
    void savingOneFileKeepsTheOthersModified();
};

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void aReadKeepsTheOtherTabsSteps_data();
    void aReadKeepsTheOtherTabsSteps();
    void undoActsOnTheShownTabAndWritesNothing();
    void buttonCommandsEditLikeMovieObjectCommands();
    void createMenuIsUndoable();
};

class SoundBdjoTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void importDeleteUndoAndSave();
    void playAndExportTheClickedEntry();
    void rejectedWavChangesNothing_data();
    void rejectedWavChangesNothing();
    void createSoundAndEditItsExtensionData();
    void refusedSoundIsShownAndKept();
    void bdjoTabShowsObjectsAndOpensPlaylists();
    void refusedBdjoEmptiesTheTab();
    void titleDoubleClickOpensBdjObject_data();
    void titleDoubleClickOpensBdjObject();
};

class ExtDatTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void loadThenOkStoresTheBlockByTheHostsRule_data();
    void loadThenOkStoresTheBlockByTheHostsRule();
    void cancelAfterDeleteLeavesTheHost();
    void entryGridTypedIdAndDataView();
    void brokenExdKeepsTheWorkingCopy();
};

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstRunShowsDefaultsAndWritesReadableIni();
    void everyValueComesBackThroughTheControls();
    void everyValueIsBoundOrNamedAsBoundElsewhere();
    void menuSwitchTwinsMirror();
    void resetToDefaultsAsksThenShowsDefaults();
    void backgroundPictureDialogStartsWhereItShould_data();
    void backgroundPictureDialogStartsWhereItShould();
    void associationWritesTheUsersFiles();
    void defaultApplicationLine_data();
    void defaultApplicationLine();
    void wrongTypeIsReportedOnceInTheLog();
};

class GridClickTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void choiceIsReportedOnceSettled();
    void clickedMovieObjectIsEdited();
    void clickedCommandIsEdited();
    void clickedTitleIsEdited();
};

class FirstUserTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void failedReadsShowInTheStatusBar_data();
    void failedReadsShowInTheStatusBar();
    void cutMovieObjectIsSavedOnlyWhenAgreed();
    void folderBoxReadsWhatIsTyped();
    void unsavedEditsAreAskedAbout_data();
    void unsavedEditsAreAskedAbout();
    void menuKeysOpenReadSaveAndQuit();
    void commandsMoveThroughTheSystemClipboard();
    void darkPaletteKeepsTextReadable();
    void windowFitsASmallScreen();
    void longRunShowsCommandsExecuted();
    void windowHasTheIcon();
    void recentFoldersKeepTheLastTen();
};

class MenuViewsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void corpusMenusFillTheViews();
    void objectRowShowsObjectWithItsPalette();
    void paletteEntryChangeIsUndoable();
    void importObjectImage_data();
    void importObjectImage();
    void exportsWriteTheChosenFormat();
    void unsupportedImagesChangeNothing();
    void saveReloadAndMuxEveryCorpusMenu();
    void objectsDecodeIntoABoundedCache();
    void failedLoadKeepsTheMenu();
    void menuFileFromAClipShowsTheMenuTab();
};

class MenuPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void pageViewRunsTheMenu();
    void fitModeClicksReachTheButtonUnderThePointer();
    void headerAndCroppingBoxesShowTheModelValue();
    void bottomBarFitsTheLeastWindow();
    void buttonGridEditIsUndoableAndSaved();
    void bogDefaultValidButtonEdit();
    void createMenuAndMirroredSwitches();
    void effectCroppingEdit();
    void buttonCommandEditedInPlace();
    void deleteObjectsAndPalettes();
    void pageHeaderAndUserTimeout();
    void buttonGridShowsAndAnimatesObjects();
    void animationRunsByTheWindowTimer();
    void traceRunsTheClickedCommand();
    void backgroundPictureAndColours_data();
    void backgroundPictureAndColours();
    void pageViewKeysShowTheirCode();
    void pageViewArrowKeysNavigate();
    void brokenReferencesAreWarnedAndAskedAtSave();
    void closeSavesTheEditedMenu();
    void popUpAndNumberKeys();
    void colourMatrixOption();
};

class UhdViewsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void uhdDiscShowsItsFieldsAndSavesUnchanged();
    void editsByClicksAreSavedAndReadByLibbluray();
};
