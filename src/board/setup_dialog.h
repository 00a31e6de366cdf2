// The position setup dialog of TBrett::StellungEingeben, built in code: a board
// of its own on which pieces are placed from two palettes, castling boxes that
// follow the home squares, the side to move, the move number and the
// en-passant file. OK is enabled exactly when the position is plausible
// (always in search mode).
// Invariant: while it exists, TBrett::AufbauFigur names the palette piece (not 0).
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <array>

#include "board/board_widget.h"
#include "board/promotion_window.h"

namespace brevaro {

// A push button of the dialog; its tag tells which: 1 OK, 2 clear, 3 reset, 0 cancel.
class TKnopf : public QPushButton {
  Q_OBJECT
 public:
  TKnopf(QWidget* eltern, int tag) : QPushButton(eltern), Tag(tag) {}
  const int Tag;
};

// A panel whose mouse movement hides the floating palette piece of the board.
class TAufbauPanel : public QFrame {
  Q_OBJECT
 public:
  TAufbauPanel(QWidget* eltern, TBrett** brett);

 protected:
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  TBrett** brett_;
};

class TAufbauRadioButton : public QRadioButton {
  Q_OBJECT
 public:
  TAufbauRadioButton(QWidget* eltern, int tag) : QRadioButton(eltern), Tag(tag) {}
  const int Tag;
};

class TAufbauCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  TAufbauCheckBox(QWidget* eltern, int tag) : QCheckBox(eltern), Tag(tag) {}
  const int Tag;
};

class TStellungsdialog : public QDialog {
  Q_OBJECT
 public:
  // Shows `quelle`'s position; `suchmodus` skips the plausibility test.
  TStellungsdialog(TBrett& quelle, bool suchmodus, QWidget* eltern = nullptr);
  ~TStellungsdialog() override;

  TBrett& Brett() { return *brett_; }
  TKnopf* Ok() { return knoepfe_[1]; }
  TKnopf* Leeren() { return knoepfe_[2]; }
  TKnopf* Grundstellung() { return knoepfe_[3]; }
  TKnopf* Abbrechen() { return knoepfe_[0]; }
  const std::array<TAufbauCheckBox*, 4>& Rochade() const { return rochade_; }
  TAufbauRadioButton* Weiss() { return weiss_; }
  TAufbauRadioButton* Schwarz() { return schwarz_; }
  QSpinBox* Zugnummer() { return zugnummer_; }
  QComboBox* EnPassant() { return enPassant_; }
  const std::array<TSchalter*, 12>& Palette() const { return palette_; }
  TAufbauPanel* Hintergrundpanel() { return hintergrund_; }
  bool Suchmodus() const { return suchmodus_; }

 private:
  void Knopf(TKnopf* k);
  void RochadeKlick(TAufbauCheckBox* box);
  void SeiteKlick(TAufbauRadioButton* knopf);
  void Geaendert();
  void OkPruefen();
  void RochadeNachFeldern();

  bool suchmodus_;
  TBrett* brett_ = nullptr;
  TAufbauPanel* hintergrund_ = nullptr;
  std::array<TKnopf*, 4> knoepfe_{};
  std::array<TAufbauCheckBox*, 4> rochade_{};
  TAufbauRadioButton* weiss_ = nullptr;
  TAufbauRadioButton* schwarz_ = nullptr;
  QSpinBox* zugnummer_ = nullptr;
  QComboBox* enPassant_ = nullptr;
  std::array<TSchalter*, 12> palette_{};
};

}  // namespace brevaro
