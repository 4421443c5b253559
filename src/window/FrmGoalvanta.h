#pragma once

#include "components/ColumnInfos.h"
#include "instance/HandOverRecord.h"
#include "rules/Game.h"
#include "storage/FileSaveStorage.h"
#include "window/Prompts.h"

#include <QMainWindow>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;

namespace goalvanta {

class TMainPlayerModel;
class TRosterModel;
class TShopModel;
class TTvListView;
class TTvViewHelpHtmlAction;

// The game's one window. It owns the game and turns menus, keys, clicks and tab
// changes into the game's commands; as the game's screen it draws what the
// commands hand it. Every question goes through the prompts, so tests answer them.
class TFormGoalvanta final : public QMainWindow, public IGameScreen {
    Q_OBJECT
public:
    // `saveFolder` is where the ten slots live; empty for DefaultSaveFolder().
    // `prompts` answers the questions; null for real dialogs.
    explicit TFormGoalvanta(const QString& saveFolder = {}, IPrompts* prompts = nullptr,
                            QWidget* parent = nullptr);
    ~TFormGoalvanta() override;

    TGame& Game() { return FGame; }
    // The slot folder as the file system names it, and as it is shown.
    const std::string& SaveFolderPath() const { return FSaveFolder; }
    QString SaveFolder() const;
    static QString SlotFileName(int slot);

    // The program's first command-line argument, as its bytes: opened by the first
    // activation.
    void SetCommandLinePath(std::string path) { FCommandLinePath = std::move(path); }
    // The first activation's work, done once: the panel rows, a new game, then the
    // first command-line argument handed to the window itself.
    void FormActivate();
    // Loads `path` (the file system's bytes) when it names a file (true when it
    // loaded); a folder, a missing path or an empty one changes nothing.
    bool OpenPath(const std::string& path);
    bool OpenPath(const QString& path);
    // A second start's record, as the hand-over channel receives it. The window
    // comes to the front at once; the path waits until no command runs (nothing
    // replaces the game a command, or one of its message boxes, is still working
    // on) and is then opened, in arrival order, one at a time. Returns whether the
    // path was taken: false for another code or when too many are waiting.
    bool AcceptHandOver(const THandOverRecord& record);
    std::size_t PendingHandOvers() const { return FPendingPaths.size(); }
    // Opens a record's path now: a record with the open-path code goes to OpenPath;
    // any other code changes nothing. Returns whether a game was loaded.
    bool WMCopyData(const THandOverRecord& record);
    // Hands `text` to this window through the same record a second start sends.
    bool SendTextByCopyData(const std::string& text, std::uint32_t code);
    // A second start asked for the running game: show it in front.
    void BringToFront();

    // Runs `body` as one of the user's commands. While any command runs, hand-overs
    // wait. An error that escapes it goes to the generic error box: the message is
    // shown, the command ends, the game and its unsaved state stay. Returns whether
    // it ended without an error.
    bool RunCommand(const std::function<void()>& body);
    bool CommandRunning() const { return FCommandDepth > 0; }

    // Commands as the menus, keys and shortcuts run them.
    void ActMILoadExecute();
    void ActMISaveExecute();
    void LoadData1Click(int slot);
    void SaveData1Click(int slot);
    void FileNewActExecute();
    void FileOpenActExecute();
    void FileSaveActExecute();
    void FileSaveAsActExecute();
    void About2Click();
    // Runs a game command if it is enabled, then brings the enabled states up to date.
    void Run(TCommand command);
    void UpdateActions();

    // Widgets and actions, for tests and for the window's own wiring.
    TTvListView* BLVPlayers() const { return FPlayers; }
    TTvListView* BLVShop() const { return FShop; }
    TTvListView* BLVMainPlayer() const { return FMainPlayer; }
    TMainPlayerModel* MainPlayerModel() const { return FMainPlayerModel; }
    QComboBox* ComboBoxWeight() const { return FComboBoxWeight; }
    QCheckBox* CheckBoxAutoRest() const { return FCheckBoxAutoRest; }
    QCheckBox* CheckBoxSelfJudging() const { return FCheckBoxSelfJudging; }
    QTabWidget* PageControl1() const { return FPageControl; }
    QPlainTextEdit* Memo1() const { return FMemo; }
    QLabel* StatusPanel(int i) const { return FStatusPanels.at(static_cast<std::size_t>(i)); }
    QMenu* LoadMenu() const { return FLoadMenu; }
    QMenu* SaveMenu() const { return FSaveMenu; }
    QMenu* PlayersMenu() const { return FPlayersMenu; }
    QMenu* ShopMenu() const { return FShopMenu; }
    QAction* ActGame() const { return FActGame; }
    QAction* ActRest() const { return FActRest; }
    QAction* ActBuy() const { return FActBuy; }
    QAction* ActSelectThePoorest() const { return FActSelectThePoorest; }
    QAction* ActSelectTheNextUnknown() const { return FActSelectTheNextUnknown; }
    // The file the game was last saved to or loaded from: as the file system names
    // it, and as it is shown.
    const std::string& CurrentFilePath() const { return FCurrentFileName; }
    QString CurrentFileName() const;

    // IGameScreen
    void GetSelectedIndices(TIntegerList& rows) override;
    std::int32_t FocusedRow() override;
    void BeginRosterUpdate() override;
    void EndRosterUpdate() override;
    void RefreshVisibleItems() override;
    void ResetRosterView(std::int32_t rowCount, int sortColumn, bool sortDown,
                         std::int32_t row) override;
    void ShowFoundRow(std::int32_t row) override;
    void ShowMainPlayerState(const TMainPlayerView& view) override;
    void ShowStatusBar(const std::string& counts, const std::string& position) override;
    void ShowShopProducts(const std::vector<TShopProduct>& products) override;
    std::optional<std::string> FocusedShopItem() override;
    void ShowPlayersPage() override;
    void SetCurrentFileName(const std::string& path) override;
    TMessageResult ShowMessage(const std::string& text, const std::string& caption,
                               TMessageIcon icon, TMessageButtons buttons) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

signals:
    // The game is in place: hand-overs from other starts can be taken now.
    void FirstActivationDone();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateLayout();
    void CreateActions();
    void CreateMenus();
    void BLVPlayersColumnClick(int position);
    // One press and release of Left, as the roster view gets it from the keyboard.
    void PressLeftKey();
    bool AskToSaveChanges();
    bool OpenWithDialog();
    bool SaveWithDialog();
    bool SaveGameFile(const std::string& path);
    bool LoadGameFile(const std::string& path);
    void ScheduleHandOvers();
    void OpenPendingHandOver();
    void ShowCommandError(const char* what);
    void SetSlotCaptions(QMenu* menu, bool disableEmpty);

    std::string FSaveFolder;
    std::unique_ptr<IPrompts> FOwnPrompts;
    IPrompts* FPrompts;
    TFileSaveStorage FStorage;
    TGame FGame;
    std::string FCurrentFileName;
    std::string FCommandLinePath;
    int FRosterUpdateDepth = 0;
    int FWaitDepth = 0;
    int FCommandDepth = 0;
    std::deque<std::string> FPendingPaths;
    bool FHandOverScheduled = false;
    bool FActivating = false;

    TTvColumnInfos FTvColumnInfos1; // roster columns
    TTvColumnInfos FTvColumnInfos2; // shop columns
    TRosterModel* FRosterModel = nullptr;
    TShopModel* FShopModel = nullptr;
    TMainPlayerModel* FMainPlayerModel = nullptr;
    TTvListView* FPlayers = nullptr;
    TTvListView* FShop = nullptr;
    TTvListView* FMainPlayer = nullptr;
    QComboBox* FComboBoxWeight = nullptr;
    QCheckBox* FCheckBoxAutoRest = nullptr;
    QCheckBox* FCheckBoxSelfJudging = nullptr;
    QTabWidget* FPageControl = nullptr;
    QSplitter* FSplitter = nullptr;
    QPlainTextEdit* FMemo = nullptr;
    std::array<QLabel*, 3> FStatusPanels{};

    QAction* FActGame = nullptr;
    QAction* FActRest = nullptr;
    QAction* FActBuy = nullptr;
    QAction* FActSelectThePoorest = nullptr;
    QAction* FActSelectTheNextUnknown = nullptr;
    TTvViewHelpHtmlAction* FHelpAction = nullptr;
    QMenu* FLoadMenu = nullptr;
    QMenu* FSaveMenu = nullptr;
    QMenu* FPlayersMenu = nullptr;
    QMenu* FShopMenu = nullptr;
};

} // namespace goalvanta
