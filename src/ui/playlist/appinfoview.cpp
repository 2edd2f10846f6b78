#include "ui/playlist/appinfoview.h"

#include "core/log.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_text.h"
#include "ui/playlist/playlistkit.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

using namespace pl;

AppInfoView::AppInfoView(Document& doc, Log& log, QWidget* parent)
    : QGroupBox(QStringLiteral("AppInfoPlayList"), parent), doc_(doc), log_(log) {
    setObjectName(QStringLiteral("gAppInfo"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 2, 4, 3);
    outer->setSpacing(2);

    cbAIpbt_ = combo("cbAIpbt", QStringLiteral("PlayList_playback_type"), this, 9);
    setItems(cbAIpbt_, toList(playlistPlaybackTypeItems()));
    ieAIpbc_ = new TIntEdit(this);
    ieAIpbc_->setObjectName(QStringLiteral("ieAIpbc"));
    ieAIpbc_->setToolTip(QStringLiteral("playback_count (random and shuffle playback)"));
    // The field is 16 bits: five digits show every stored count.
    ieAIpbc_->setMaxLength(5);
    ieAIpbc_->setFixedWidth(ieAIpbc_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 10);
    const auto check = [this](const char* name, const QString& text, const QString& hint) {
        auto* c = new QCheckBox(text, this);
        c->setObjectName(QLatin1String(name));
        c->setToolTip(hint);
        return c;
    };
    cbAIRA_ = check("cbAIRA", QStringLiteral("random access"), QStringLiteral("PlayList_random_access_flag"));
    cbAIAM_ = check("cbAIAM", QStringLiteral("audio mix"), QStringLiteral("audio_mix_app_flag"));
    cbAIBM_ = check("cbAIBM", QStringLiteral("bypass mixer"), QStringLiteral("lossless_may_bypass_mixer_flag"));
    heAIUO_ = new THexEdit(8, this);
    heAIUO_->setObjectName(QStringLiteral("heAIUO"));
    heAIUO_->setToolTip(QStringLiteral("UO_mask_table, first word (UO31 ... UO0)"));
    heAIUO2_ = new THexEdit(8, this);
    heAIUO2_->setObjectName(QStringLiteral("heAIUO2"));
    heAIUO2_->setToolTip(QStringLiteral("UO_mask_table, second word (only bit 30 is used)"));
    const int hexWidth = heAIUO_->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDDDD")) + 10;
    heAIUO_->setFixedWidth(hexWidth);
    heAIUO2_->setFixedWidth(hexWidth);

    auto* top = new QHBoxLayout;
    top->setSpacing(4);
    auto* pbtLabel = caption(QStringLiteral("playback"), this);
    pbtLabel->setBuddy(cbAIpbt_);
    auto* countLabel = caption(QStringLiteral("count"), this);
    countLabel->setBuddy(ieAIpbc_);
    auto* uoLabel = caption(QStringLiteral("UO mask"), this);
    uoLabel->setBuddy(heAIUO_);
    top->addWidget(pbtLabel);
    top->addWidget(cbAIpbt_);
    top->addWidget(countLabel);
    top->addWidget(ieAIpbc_);
    top->addSpacing(6);
    top->addWidget(cbAIRA_);
    top->addWidget(cbAIAM_);
    top->addWidget(cbAIBM_);
    top->addStretch(1);
    top->addWidget(uoLabel);
    top->addWidget(heAIUO_);
    top->addWidget(heAIUO2_);
    outer->addLayout(top);

    // Bits 31 to 16 in the first row, 15 to 0 and the second word's bit 30 in the second.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(0);
    const auto& boxes = uoBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const UOBox& b = boxes[i];
        const QString text = b.word == 0 ? QString::number(b.bit) : QStringLiteral("2_30");
        auto* c = check(b.name, text, QString::fromUtf8(b.hint));
        uoBoxes_[i] = c;
        const int r = i < 16 ? 0 : 1;
        const int col = i < 16 ? static_cast<int>(i) : static_cast<int>(i) - 16;
        grid->addWidget(c, r, col);
        connect(c, &QCheckBox::clicked, this, [this, i](bool on) {
            doc_.apply(kPart, on ? QStringLiteral("Mask UO") : QStringLiteral("Unmask UO"), [&](Workspace& ws) {
                setUOBit(ws.playlist.AppInfoPlayList.UO_mask_table, uoBoxes()[i], on);
                return true;
            });
            refresh();
        });
    }
    grid->setColumnStretch(17, 1);
    outer->addLayout(grid);

    connect(cbAIpbt_, &QComboBox::activated, this, [this](int i) {
        if (i < 0 || i > 2) return;
        doc_.apply(kPart, QStringLiteral("Change playback type"), [&](Workspace& ws) {
            setPlaybackType(ws.playlist.AppInfoPlayList, static_cast<PlaylistPlaybackType>(i + 1));
            return true;
        });
        refresh();
    });
    connect(ieAIpbc_, &QLineEdit::textEdited, this, [this] {
        const std::int64_t typed = ieAIpbc_->value();
        if (typed < 0 || typed > 0xFFFF) {
            log_.erslog("The playback count is 0 to 65535.");
            ieAIpbc_->setModified(false);
            refresh();
            return;
        }
        const auto v = static_cast<std::uint16_t>(typed);
        doc_.apply(
            kPart, QStringLiteral("Change playback count"),
            [&](Workspace& ws) {
                setPlaybackCount(ws.playlist.AppInfoPlayList, v);
                return true;
            },
            QStringLiteral("mpls/appinfo/count"));
    });
    const std::pair<QCheckBox*, AppInfoFlag> flags[] = {
        {cbAIRA_, AppInfoFlag::RandomAccess}, {cbAIAM_, AppInfoFlag::AudioMix}, {cbAIBM_, AppInfoFlag::BypassMixer}};
    for (const auto& [box, flag] : flags)
        connect(box, &QCheckBox::clicked, this, [this, flag = flag](bool on) {
            doc_.apply(kPart, QStringLiteral("Change AppInfoPlayList flag"), [&](Workspace& ws) {
                setAppInfoFlag(ws.playlist.AppInfoPlayList, flag, on);
                return true;
            });
            refresh();
        });
    // Typing into a word stores it and the boxes follow; leaving the field shows
    // the stored word again (of the second only bit 30 is kept).
    for (THexEdit* e : {heAIUO_, heAIUO2_}) {
        connect(e, &QLineEdit::textEdited, this, [this, e] { storeWord(e == heAIUO_ ? 0 : 1); });
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            e->setModified(false);
            refresh();
        });
    }
    for (QLineEdit* e : std::initializer_list<QLineEdit*>{heAIUO_, heAIUO2_, ieAIpbc_})
        connect(e, &QLineEdit::returnPressed, this, [this] { setFocus(Qt::OtherFocusReason); });
    setFocusPolicy(Qt::ClickFocus);
    refresh();
}

bool AppInfoView::loaded() const { return doc_.model().playlistLoaded; }

void AppInfoView::storeWord(int word) {
    const std::uint32_t value = (word == 0 ? heAIUO_ : heAIUO2_)->value();
    // Only the word typed into is stored: the other keeps every bit it has.
    doc_.apply(
        kPart, QStringLiteral("Change UO mask"),
        [&](Workspace& ws) {
            setUOWord(ws.playlist.AppInfoPlayList.UO_mask_table, word, value);
            return true;
        },
        QStringLiteral("mpls/appinfo/uo%1").arg(word));
    refresh();
}

void AppInfoView::refresh() {
    const bool on = loaded();
    setEnabled(on);
    const TAppInfoPlayList& a = doc_.model().playlist.AppInfoPlayList;
    if (!on) {
        setIndex(cbAIpbt_, -1);
        for (QLineEdit* e : std::initializer_list<QLineEdit*>{ieAIpbc_, heAIUO_, heAIUO2_}) showText(e, QString());
        for (QCheckBox* c : {cbAIRA_, cbAIAM_, cbAIBM_}) c->setChecked(false);
        for (QCheckBox* c : uoBoxes_) c->setChecked(false);
        return;
    }
    // A type outside the list shows no entry.
    setIndex(cbAIpbt_,
             a.PlayList_playback_type >= 1 && a.PlayList_playback_type <= 3 ? a.PlayList_playback_type - 1 : -1);
    showText(ieAIpbc_, QString::number(a.playback_count));
    cbAIRA_->setChecked(appInfoFlag(a, AppInfoFlag::RandomAccess));
    cbAIAM_->setChecked(appInfoFlag(a, AppInfoFlag::AudioMix));
    cbAIBM_->setChecked(appInfoFlag(a, AppInfoFlag::BypassMixer));
    showText(heAIUO_, QStringLiteral("%1").arg(a.UO_mask_table[0], 8, 16, QLatin1Char('0')).toUpper());
    showText(heAIUO2_, QStringLiteral("%1").arg(a.UO_mask_table[1], 8, 16, QLatin1Char('0')).toUpper());
    const auto& boxes = uoBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) uoBoxes_[i]->setChecked(uoBit(a.UO_mask_table, boxes[i]));
}

}  // namespace navora::ui
