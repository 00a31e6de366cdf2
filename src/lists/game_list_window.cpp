#include "lists/game_list_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "board/board_widget.h"
#include "languages/language_switcher.h"
#include "languages/language_table.h"
#include "lists/window_host.h"

namespace brevaro {

namespace {

QString Deutsch(int row) {
  return QString::fromUtf8(LayoutGerman(row).data(),
                           static_cast<qsizetype>(LayoutGerman(row).size()));
}

QSpinBox* Jahresfeld(QWidget* parent) {
  auto* feld = new QSpinBox(parent);
  feld->setRange(0, 3000);
  feld->setValue(1999);
  return feld;
}

// A combo box at least as wide as its minimum contents, growing with its row
// up to the width of its longest entry.
void AuswahlBreiteAnpassen(QComboBox* box) {
  const QFontMetrics fm(box->font());
  int breitester = 0;
  for (int k = 0; k < box->count(); ++k)
    breitester = std::max(breitester, fm.horizontalAdvance(box->itemText(k)));
  const int mindestens = box->minimumContentsLength() * fm.horizontalAdvance(QLatin1Char('x'));
  box->setMaximumWidth(box->minimumSizeHint().width() + std::max(0, breitester - mindestens));
}

// The text of entry `k` of a combo box.
TextBinding Auswahltext(int row, QComboBox* box, int k) {
  return {row, [box, k] { return box->itemText(k); },
          [box, k](const QString& text) {
            box->setItemText(k, text);
            AuswahlBreiteAnpassen(box);
          }};
}

}  // namespace

TMDIPGN::TMDIPGN(TCollectionHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  // ---- Header and list ----------------------------------------------------
  HeaderSections = new QStandardItemModel(0, 5, this);
  for (int k = 0; k < 5; ++k) HeaderSections->setHeaderData(k, Qt::Horizontal, Deutsch(62 + k));
  HeaderControl = new QHeaderView(Qt::Horizontal, this);
  HeaderControl->setObjectName(QStringLiteral("HeaderControl"));
  HeaderControl->setModel(HeaderSections);
  HeaderControl->setSectionsClickable(true);
  HeaderControl->setHighlightSections(false);
  HeaderControl->setStretchLastSection(false);
  HeaderControl->setSectionResizeMode(QHeaderView::Interactive);
  HeaderControl->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  HeaderControl->setFixedHeight(HeaderControl->fontMetrics().height() + 8);
  SetHint(HeaderControl, Deutsch(67));
  connect(HeaderControl, &QHeaderView::sectionClicked, this, &TMDIPGN::HeaderControlSectionClick);
  PGN1 = new TPGN(this);
  PGN1->setObjectName(QStringLiteral("PGN1"));
  connect(HeaderControl, &QHeaderView::sectionResized, PGN1->viewport(),
          [this] { PGN1->viewport()->update(); });
  PGN1->OnPGNTrace = [this](TPGN* s, int p, TCancelMode& m) { PGN1PGNTrace(s, p, m); };
  PGN1->OnPGNDrawItem = [this](TPGN* c, QPainter& canvas, int i, const QRect& r,
                               const TEventData& kopf,
                               int64_t g) { PGN1PGNDrawItem(c, canvas, i, r, kopf, g); };
  PGN1->OnFilterRequest = [this](TPGN* s, const TEventData& kopf, bool& zeigen) {
    PGN1FilterRequest(s, kopf, zeigen);
  };
  PGN1->OnPGNDblClick = [this](TPGN* s, const std::string& text, int64_t g) {
    PGN1PGNDblClick(s, text, g);
  };
  PGN1->BeforeCreatePGNFile = [this](TPGN* s, const std::string& name, bool& anlegen) {
    PGN1BeforeCreatePGNFile(s, name, anlegen);
  };

  // ---- Filter panel -----------------------------------------------------
  pFilter = new QWidget(this);
  pFilter->setObjectName(QStringLiteral("pFilter"));
  pFilter->setMinimumHeight(70);  // taller when the font needs it
  lSpieler = new QLabel(Deutsch(68), pFilter);
  eSpieler = new QLineEdit(pFilter);
  rbWeiss = new QRadioButton(Deutsch(70), pFilter);
  rbSchwarz = new QRadioButton(Deutsch(71), pFilter);
  rbBeide = new QRadioButton(Deutsch(72), pFilter);
  rbBeide->setChecked(true);
  lEreignis = new QLabel(Deutsch(69), pFilter);
  eEreignis = new QLineEdit(pFilter);
  lECO = new QLabel(QStringLiteral("ECO:"), pFilter);
  eECO = new QLineEdit(pFilter);
  eECO->setMaximumWidth(60);
  cbZeitraum = new QCheckBox(Deutsch(73), pFilter);
  seAYear = Jahresfeld(pFilter);
  seEYear = Jahresfeld(pFilter);
  cbGewinn = new QCheckBox(QStringLiteral("1 - 0"), pFilter);
  cbRemis = new QCheckBox(QStringLiteral("1/2 - 1/2"), pFilter);
  cbVerlust = new QCheckBox(QStringLiteral("0 - 1"), pFilter);
  cbPosition = new QCheckBox(Deutsch(74), pFilter);
  cbStellungsart = new QComboBox(pFilter);
  cbStellungsart->setObjectName(QStringLiteral("cbStellungsart"));
  for (int k = 0; k < 3; ++k) cbStellungsart->addItem(Deutsch(RowPositionModes + k));
  // 14 characters wide in a narrow panel (the open list shows the entries
  // whole); where the panel has room, wide enough for its entry.
  cbStellungsart->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbStellungsart->setMinimumContentsLength(14);
  cbStellungsart->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  AuswahlBreiteAnpassen(cbStellungsart);
  bPosition = new QPushButton(Deutsch(75), pFilter);
  bEmpty = new QPushButton(Deutsch(76), pFilter);
  bFilter = new QPushButton(Deutsch(77), pFilter);
  QFont fett = bFilter->font();
  fett.setBold(true);
  bFilter->setFont(fett);
  SearchBrett = new TBrett(pFilter);
  SearchBrett->setObjectName(QStringLiteral("SearchBrett"));
  SearchBrett->setAufbauFiguren(true);
  SearchBrett->setGrundstellung(true);
  SearchBrett->hide();

  // Three lines: player, source and results, then years and position.
  const auto zeile = [](std::initializer_list<QWidget*> links,
                        std::initializer_list<QWidget*> rechts, QWidget* dehnbar) {
    auto* z = new QHBoxLayout;
    z->setSpacing(4);
    for (QWidget* w : links) z->addWidget(w, w == dehnbar ? 1 : 0);
    if (!dehnbar) z->addStretch(1);
    for (QWidget* w : rechts) z->addWidget(w);
    return z;
  };
  auto* zeilen = new QVBoxLayout(pFilter);
  zeilen->setContentsMargins(4, 1, 4, 1);
  zeilen->setSpacing(1);
  lSpieler->setMinimumWidth(lEreignis->sizeHint().width());
  QHBoxLayout* spielerZeile =
      zeile({lSpieler, eSpieler, rbWeiss, rbSchwarz, rbBeide, cbStellungsart}, {}, eSpieler);
  spielerZeile->setStretchFactor(cbStellungsart, 1);
  zeilen->addLayout(spielerZeile);
  zeilen->addLayout(
      zeile({lEreignis, eEreignis, lECO, eECO, cbGewinn, cbRemis, cbVerlust}, {}, eEreignis));
  zeilen->addLayout(
      zeile({cbZeitraum, seAYear, seEYear, cbPosition, bPosition}, {bEmpty, bFilter}, nullptr));
  pFilter->hide();
  connect(bEmpty, &QPushButton::clicked, this, &TMDIPGN::bEmptyClick);
  connect(bFilter, &QPushButton::clicked, this, &TMDIPGN::bFilterClick);
  connect(bPosition, &QPushButton::clicked, this, &TMDIPGN::bPositionClick);

  // ---- Bottom bar -------------------------------------------------------
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedHeight(24);
  sbOpen = new QToolButton(Panel1);
  sbOpen->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  sbOpen->setAutoRaise(true);
  SetHint(sbOpen, Deutsch(78));
  sbFilter = new QToolButton(Panel1);
  sbFilter->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  sbFilter->setAutoRaise(true);
  sbFilter->setCheckable(true);
  SetHint(sbFilter, Deutsch(79));
  auto* leiste = new QHBoxLayout(Panel1);
  leiste->setContentsMargins(2, 0, 2, 0);
  leiste->setSpacing(2);
  leiste->addWidget(sbOpen);
  leiste->addWidget(sbFilter);
  leiste->addStretch(1);
  Panel1->setEnabled(false);
  connect(sbOpen, &QToolButton::clicked, this, &TMDIPGN::sbOpenClick);
  connect(sbFilter, &QToolButton::toggled, this, &TMDIPGN::sbFilterClick);

  auto* spalte = new QVBoxLayout(this);
  spalte->setContentsMargins(0, 0, 0, 0);
  spalte->setSpacing(0);
  spalte->addWidget(HeaderControl);
  spalte->addWidget(PGN1, 1);
  spalte->addWidget(pFilter);
  spalte->addWidget(Panel1);
  SpaltenbreitenAnpassen();
  // The filter panel's controls are never squeezed below their captions.
  setMinimumWidth(pFilter->layout()->minimumSize().width());
  resize(std::max({520, minimumWidth(), SpaltenSumme()}), 300);

  // Escape closes the window, whichever control has the focus.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  PGN1->viewport()->installEventFilter(this);

  std::vector<TextBinding> texte = {HeaderText(62, HeaderSections, 0),
                                    HeaderText(63, HeaderSections, 1),
                                    HeaderText(64, HeaderSections, 2),
                                    HeaderText(65, HeaderSections, 3),
                                    HeaderText(66, HeaderSections, 4),
                                    HintOf(67, HeaderControl),
                                    PropertyText(68, lSpieler),
                                    PropertyText(69, lEreignis),
                                    PropertyText(70, rbWeiss),
                                    PropertyText(71, rbSchwarz),
                                    PropertyText(72, rbBeide),
                                    PropertyText(73, cbZeitraum),
                                    PropertyText(74, cbPosition),
                                    PropertyText(75, bPosition),
                                    PropertyText(76, bEmpty),
                                    PropertyText(77, bFilter),
                                    HintOf(78, sbOpen),
                                    HintOf(79, sbFilter)};
  for (int k = 0; k < 3; ++k) texte.push_back(Auswahltext(RowPositionModes + k, cbStellungsart, k));
  Localization().RegisterWindow(this, LanguageWindowKind::GameList, std::move(texte),
                                [this](bool english) {
                                  SearchBrett->setEnglish(english);
                                  SpaltenbreitenAnpassen();
                                  setMinimumWidth(pFilter->layout()->minimumSize().width());
                                });
}

int TMDIPGN::Spaltenbreite(int k) const {
  // The described widths, grown to the caption and the widest value: a
  // seven-digit number, a year, "1/2-1/2" in bold.
  constexpr int Mindestbreite[5] = {50, 200, 150, 50, 50};
  if (k < 0 || k > 4) return 0;
  QFont fett = PGN1->font();
  fett.setBold(true);
  const QFontMetrics normal(PGN1->font());
  const QFontMetrics fettMetrik(fett);
  const QString caption = HeaderSections->headerData(k, Qt::Horizontal).toString();
  const int ueberschrift = HeaderControl->fontMetrics().horizontalAdvance(caption) + 12;
  int wert = 0;
  if (k == 0) wert = normal.horizontalAdvance(QStringLiteral("9999999")) + 5;
  if (k == 3) wert = normal.horizontalAdvance(QStringLiteral("9999"));
  if (k == 4) wert = fettMetrik.horizontalAdvance(QStringLiteral("1/2-1/2"));
  return std::max({Mindestbreite[k], ueberschrift, wert + 2 * (k + 1) + 2});
}

int TMDIPGN::SpaltenSumme() const {
  int summe = 2 * PGN1->frameWidth() + PGN1->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  for (int k = 0; k < 5; ++k) summe += HeaderControl->sectionSize(k);
  return summe;
}

void TMDIPGN::SpaltenbreitenAnpassen() {
  for (int k = 0; k < 5; ++k) {
    const int breite = Spaltenbreite(k);
    // A column the user widened keeps its width.
    if (HeaderControl->sectionSize(k) < breite) HeaderControl->resizeSection(k, breite);
  }
}

TMDIPGN::~TMDIPGN() {
  DetachGameWindows();
}

bool TMDIPGN::LoadFile(const QString& path) {
  host_.SetStopFlag(false);
  Oeffnen(PfadBytes(path));
  Panel1->setEnabled(true);
  return PGN1->IsOpen();
}

void TMDIPGN::Oeffnen(const std::string& path) {
  const std::string vorher = PGN1->FileName();
  // The same file, written since it was listed, is listed anew; unless it
  // only grew, its game numbers may then mean other games.
  const bool erneuert = PGN1->IsOpen() && !PGN1->Busy() && path == vorher &&
                        PGN1->FileState() == TPGNIndex::TDateiStand::Erneuert;
  std::vector<QObject*> alte;
  for (const Link& l : links_) alte.push_back(l.window.data());
  PGN1->setFileName(path);
  // Game windows know their games by number: in another file, or in the
  // file rewritten, the numbers mean other games. Those opened during the
  // scan (a row of the command line) show the new file's games.
  if (PGN1->FileName() != vorher || erneuert) {
    std::vector<Link> neue;
    std::erase_if(links_, [&](const Link& l) {
      if (std::find(alte.begin(), alte.end(), l.window.data()) != alte.end()) return false;
      neue.push_back(l);
      return true;
    });
    DetachGameWindows();
    links_ = std::move(neue);
  }
  setWindowTitle(PfadText(PGN1->FileName()));
}

// ---------------------------------------------------------------------------
// Game windows

void TMDIPGN::Prune() {
  std::erase_if(links_, [](const Link& l) { return l.window.isNull(); });
}

void TMDIPGN::AttachGameWindow(QObject* gameWindow, std::function<void()> detach) {
  if (!gameWindow) return;
  ForgetGameWindow(gameWindow);
  links_.push_back({gameWindow, std::move(detach)});
}

void TMDIPGN::ForgetGameWindow(QObject* gameWindow) {
  std::erase_if(links_, [gameWindow](const Link& l) { return l.window == gameWindow; });
  Prune();
}

bool TMDIPGN::HasGameWindows() const {
  return std::any_of(links_.begin(), links_.end(),
                     [](const Link& l) { return !l.window.isNull(); });
}

void TMDIPGN::DetachGameWindows() {
  std::vector<Link> links;
  links.swap(links_);
  for (Link& l : links) {
    if (!l.window.isNull() && l.detach) l.detach();
  }
}

// ---------------------------------------------------------------------------
// Handlers of PGN1

void TMDIPGN::PGN1PGNTrace(TPGN*, int percent, TCancelMode& cancelMode) {
  host_.Progress(percent, cancelMode);
}

void TMDIPGN::PGN1PGNDrawItem(TPGN* control, QPainter& canvas, int, const QRect& rect,
                              const TEventData& gameHeader, int64_t gameIndex) {
  // A value cut for the list (over 4,096 bytes) ends in "…".
  const TRowTexts texte = RowTexts(gameHeader, gameIndex, control->HeaderCut());
  const QString zellen[5] = {QString::asprintf("%6lld", static_cast<long long>(gameIndex + 1)),
                             PGNText(texte.Players), PGNText(texte.Source), PGNText(texte.Year),
                             PGNText(texte.Result)};
  const QFont normal = control->font();
  QFont fett = normal;
  fett.setBold(true);
  // One baseline for the row, whatever fonts stand in for characters that
  // the list's font lacks (Chinese names, say): the texts stay level.
  const int grundlinie = rect.top() + QFontMetrics(normal).ascent();
  int summe = 0;
  for (int k = 0; k < 5; ++k) {
    const int links = rect.left() + summe;
    summe += HeaderControl->sectionSize(k);
    const int rechts = rect.left() + summe - 2 * (k + 1);
    if (rechts <= links) continue;
    const QRect zelle(links, rect.top(), rechts - links, rect.height());
    canvas.save();
    canvas.setClipRect(zelle);
    canvas.setFont(k == 1 || k == 4 ? fett : normal);
    // A text cut by its column ends in "…".
    const QRect platz = zelle.adjusted(k == 0 ? 5 : 0, 0, 0, 0);
    const QString text = canvas.fontMetrics().elidedText(zellen[k], Qt::ElideRight, platz.width());
    canvas.drawText(QPoint(platz.left(), grundlinie), text);
    canvas.restore();
  }
}

TFilterSettings TMDIPGN::FilterSettings() const {
  TFilterSettings f;
  f.Enabled = sbFilter->isChecked();
  f.Player = eSpieler->text().toStdString();
  f.As = rbWeiss->isChecked()     ? TPlayerColour::White
         : rbSchwarz->isChecked() ? TPlayerColour::Black
                                  : TPlayerColour::Both;
  f.Event = eEreignis->text().toStdString();
  f.Eco = eECO->text().toStdString();
  f.YearRange = cbZeitraum->isChecked();
  f.FromYear = seAYear->value();
  f.ToYear = seEYear->value();
  f.Win = cbGewinn->isChecked();
  f.Draw = cbRemis->isChecked();
  f.Loss = cbVerlust->isChecked();
  f.Position = cbPosition->isChecked();
  SearchBrett->StellungHolen(f.SearchBoard);
  f.Stellungsart = static_cast<TStellungsart>(std::clamp(cbStellungsart->currentIndex(), 0, 2));
  f.SearchSide = SearchBrett->Zug().AmZug < 0 ? -1 : 1;
  return f;
}

void TMDIPGN::PositionSuchen(const TSchachbrett& brett, const TZug& zug) {
  if (PGN1->Busy() || !PGN1->IsOpen()) return;
  SearchBrett->StellungSetzen(brett, zug);
  cbPosition->setChecked(true);
  if (cbStellungsart->currentIndex() <= 0) cbStellungsart->setCurrentIndex(1);
  sbFilter->setChecked(true);
  bFilterClick();
}

void TMDIPGN::PGN1FilterRequest(TPGN*, const TEventData& gameHeader, bool& showThisGame) {
  if (!FilterRequest(filter_, gameHeader)) showThisGame = false;
}

void TMDIPGN::PGN1PGNDblClick(TPGN*, const std::string& pgnGame, int64_t gameId) {
  host_.OpenGame(this, pgnGame, gameId);
}

void TMDIPGN::PGN1BeforeCreatePGNFile(TPGN*, const std::string& fileName, bool& createNewPGNFile) {
  const QString frage = RowText(8) + PfadText(fileName) + RowText(9);
  if (!host_.Question(this, frage)) createNewPGNFile = false;
}

// ---------------------------------------------------------------------------
// Commands

void TMDIPGN::HeaderControlSectionClick(int section) {
  if (section < 0 || section >= static_cast<int>(SectionKeys.size())) return;
  if (PGN1->Busy()) return;  // a stop pressed meanwhile must stay
  host_.SetStopFlag(false);
  PGN1->SortBy(SectionKeys[static_cast<size_t>(section)]);
}

void TMDIPGN::sbFilterClick() {
  pFilter->setVisible(sbFilter->isChecked());
}

void TMDIPGN::bFilterClick() {
  if (PGN1->Busy()) return;
  Panel1->setEnabled(false);
  pFilter->setEnabled(false);
  host_.SetStopFlag(false);
  filter_ = FilterSettings();  // the controls are read once per filter
  if (filter_.Enabled && filter_.Position && filter_.Stellungsart != TStellungsart::Anfang) {
    PGN1->SetStellungssuche(TStellungssuche(filter_.SearchBoard, filter_.SearchSide,
                                            filter_.Stellungsart == TStellungsart::Varianten));
  } else {
    PGN1->SetStellungssuche(std::nullopt);
  }
  PGN1->ApplyFilter();
  pFilter->setEnabled(true);
  Panel1->setEnabled(true);
}

void TMDIPGN::bEmptyClick() {
  eSpieler->clear();
  eEreignis->clear();
  eECO->clear();
  rbBeide->setChecked(true);
  cbZeitraum->setChecked(false);
  cbGewinn->setChecked(false);
  cbRemis->setChecked(false);
  cbVerlust->setChecked(false);
  cbPosition->setChecked(false);
}

void TMDIPGN::bPositionClick() {
  if (SearchBrett->StellungEingeben(true)) cbPosition->setChecked(true);
}

void TMDIPGN::sbOpenClick() {
  if (PGN1->Busy()) return;
  const QString pfad = host_.OpenFileDialog(this);
  if (pfad.isEmpty()) return;
  host_.SetStopFlag(false);
  Oeffnen(PfadBytes(pfad));
  // A file that stays unlisted says why; only a listed one goes into the history.
  if (const QString fehler = OeffnenFehler(*PGN1, pfad); !fehler.isEmpty()) {
    host_.Error(this, fehler);
  } else if (PGN1->IsOpen()) {
    host_.AddHistory(PfadText(PGN1->FileName()));
  }
}

QString OeffnenFehler(const TPGN& list, const QString& path) {
  if (!list.LastError().empty())
    return RowText(20) + QLatin1Char('\n') + path + QLatin1Char('\n') +
           QString::fromLocal8Bit(list.LastError().c_str());
  if (list.RefusedNotPGN()) return RowText(RowNoPGNFile) + QLatin1Char('\n') + path;
  return {};
}

void TMDIPGN::CloseWindow() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    sub->close();
  } else {
    close();
  }
}

void TMDIPGN::closeEvent(QCloseEvent* event) {
  // While events run inside a long operation every close is refused; the
  // list's own operation is guarded as well.
  if (host_.ProgressRunning() || PGN1->Busy() || !isEnabled()) {
    event->ignore();
    return;
  }
  if (host_.SystemClosing()) {
    DetachGameWindows();
    event->accept();
    return;
  }
  Prune();
  if (HasGameWindows() && !host_.Question(this, RowText(12), true)) {
    event->ignore();
    return;
  }
  DetachGameWindows();
  const QWidget* rahmen = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
  host_.StorePGNSize(rahmen->height(), rahmen->width());
  event->accept();
}

bool TMDIPGN::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    CloseWindow();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace brevaro
