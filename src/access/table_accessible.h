#pragma once
// The table as assistive technology sees it. The places are painted, not
// widgets, so the table surface gets an accessible object of its own with one
// child per place (the seven columns, the four foundations, the stock pile,
// the stock) and a status bar whose notification carries what each handler
// did; the card widgets stay accessible objects, named only while a player
// could read them.
// Everything is computed from the table on demand, and nothing at all is done
// while no assistive technology is listening.

#include <QObject>
#include <QString>
#include <array>
#include <optional>
#include <string>

#include "access/table_speech.h"
#include "model/table.h"
#include "model/table_places.h"

class QAccessibleInterface;
class QWidget;

namespace tarvo {

class CardWidget;
class KeyboardPlay;
class TableSurface;

// Lives as a child of the table surface it describes (the surface's
// accessible object finds it there), in the places' table order.
class TableAccessibility final : public QObject {
  public:
    // Once, before the first card widget is made: it asks for its accessible
    // object as soon as it is named.
    static void InstallFactory();

    TableAccessibility(const Table& table, TableSurface& surface,
                       const std::array<CardWidget*, 41>& cards);
    ~TableAccessibility() override;

    // After every handler: tells of names that changed, the stock shown or
    // hidden, and announces what happened on the table.
    void TableChanged();
    // The next TableChanged announces `text` instead of what it finds
    // changed: an undo is told as one, not as the moves it reverses.
    void SayNextChangeAs(std::string text) { sayInstead_ = std::move(text); }
    // Reports the keyboard's focus as it moves, and takes it for the focused state.
    void FollowKeyboard(KeyboardPlay& keys);
    // The keyboard focus moved to a place.
    void FocusMoved(Place place);
    // Says the whole place: a column card by card from row 1.
    void Read(Place place);
    // Says what a key has to say.
    void Say(const std::string& text);
    // Says the name of the place that has the focus.
    void SayFocus();
    // While one key is handled, what the table would say is held back; at
    // its end one announcement goes out: the key's own answer when it has
    // one (a refused drop's reason says more than "goes back"), else what
    // the table said.
    void HoldNews();
    void ReleaseNews(const std::string& answer);

    // The owner of a table surface, or null.
    static TableAccessibility* For(const QWidget* surface);
    const Table& table() const { return table_; }
    TableSurface& surface() const { return surface_; }
    // The place the keyboard's focus is shown on, if any.
    std::optional<Place> focus() const;
    // The card the keys carry, 0 when none.
    int16_t HeldByKeys() const;
    const QString& LastAnnouncement() const { return announcement_; }
    // The parent of a card: a place's rank, or the table itself.
    static constexpr int kOnTable = -1;
    // The card being told to have left a place, and that place.
    struct Departure {
        int16_t card = 0;
        int rank = kOnTable;
    };
    const Departure& Departing() const { return departing_; }
    // Accessible children of the surface, registered when first asked for.
    QAccessibleInterface* PlaceInterface(int i);
    QAccessibleInterface* StatusInterface();
    QAccessibleInterface* NewsInterface();
    QAccessibleInterface* CardInterface(int16_t id) const;
    bool Owns(const QAccessibleInterface* iface) const;

  private:
    void Announce(const std::string& text);

    const Table& table_;
    TableSurface& surface_;
    const std::array<CardWidget*, 41>& cards_;
    const KeyboardPlay* keys_ = nullptr;
    QString announcement_;
    std::array<QAccessibleInterface*, kPlaceCount> places_{};
    QAccessibleInterface* status_ = nullptr;
    QAccessibleInterface* news_ = nullptr;
    // What assistive technology was last told, while it listens.
    bool listening_ = false;
    std::array<std::string, kPlaceCount> placeNames_;
    std::array<bool, 41> cardShown_{};
    bool stockShown_ = false;
    std::array<int, 41> parentRank_{};
    Departure departing_;
    TableSnapshot snapshot_;
    bool holding_ = false;
    std::string heldNews_;
    std::optional<std::string> sayInstead_;
    int16_t carried_ = 0;
};

}  // namespace tarvo
