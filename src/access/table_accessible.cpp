#include "access/table_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "access/keyboard_play.h"
#include "model/card.h"
#include "table/card_widget.h"
#include "table/table_surface.h"

namespace tarvo {

namespace {

const QString kOwnerName = QStringLiteral("TableAccessibility");

void Tell(QAccessibleInterface* iface, QAccessible::Event type) {
    QAccessibleEvent event(iface, type);
    QAccessible::updateAccessibility(&event);
}

// Interfaces that belong to the table, not to a widget: valid as long as
// their owner, which unregisters them before it goes.
class TableChild : public QAccessibleInterface {
  public:
    explicit TableChild(TableAccessibility& owner) : owner_(owner) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_.surface().window()->windowHandle(); }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(&owner_.surface());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

  protected:
    QRect OnScreen(const QRect& r) const {
        return QRect(owner_.surface().mapToGlobal(r.topLeft()), r.size());
    }
    // The places mean nothing before the first layout (the title pause).
    bool LaidOut() const { return owner_.surface().StripShown(); }

    TableAccessibility& owner_;
};

class PlaceAccessible final : public TableChild {
  public:
    PlaceAccessible(TableAccessibility& owner, Place place) : TableChild(owner), place_(place) {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return {};
        const Table& table = owner_.table();
        std::string name = PlaceName(table, place_);
        // While the keys carry a card, a place says whether it takes it.
        if (const int16_t held = owner_.HeldByKeys(); held != 0) {
            Place home;
            const bool own = PlaceReadingCard(table, held, home) && home == place_;
            const std::string why = place_.kind == PlaceKind::Column
                                        ? WhyNotOnColumn(table, held, place_.index)
                                        : WhyNotUp(table, held);
            name += own           ? ", where it lies"
                    : why.empty() ? ", takes " + CardName(held)
                                  : ". " + why;
        }
        return QString::fromStdString(name);
    }
    QRect rect() const override { return OnScreen(ToQRect(PlaceRect(owner_.table(), place_))); }
    // The stock is clicked to turn a card; the other places hold cards. A
    // filler's role is not spoken: a place is read by its name alone.
    QAccessible::Role role() const override {
        return place_.kind == PlaceKind::Stock ? QAccessible::Button : QAccessible::Client;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        const bool stockShown = owner_.surface().MazzoShown();
        const std::vector<Place> focusable = FocusablePlaces(owner_.table());
        s.focusable =
            LaidOut() && std::find(focusable.begin(), focusable.end(), place_) != focusable.end();
        s.focused = owner_.focus() == place_;
        s.invisible = !LaidOut() || (place_.kind == PlaceKind::Stock && !stockShown);
        s.offscreen = s.invisible;
        return s;
    }

    // The cards read at the place, in screen order.
    int childCount() const override {
        return static_cast<int>(CardsReadAt(owner_.table(), place_).size());
    }
    QAccessibleInterface* child(int i) const override {
        const std::vector<int16_t> cards = CardsReadAt(owner_.table(), place_);
        if (i < 0 || i >= static_cast<int>(cards.size())) return nullptr;
        return owner_.CardInterface(cards[static_cast<size_t>(i)]);
    }
    int indexOfChild(const QAccessibleInterface* iface) const override {
        const std::vector<int16_t> cards = CardsReadAt(owner_.table(), place_);
        for (size_t i = 0; i < cards.size(); ++i) {
            if (owner_.CardInterface(cards[i]) == iface) return static_cast<int>(i);
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        // The card in front: the last in screen order.
        for (int i = childCount() - 1; i >= 0; --i) {
            if (child(i)->rect().contains(x, y)) return child(i);
        }
        return nullptr;
    }

  private:
    Place place_;
};

// Holds the notification. A notification inside a status bar is spoken
// without its role, and the screen reader's "read the status bar" command
// says the last announcement again.
class StatusAccessible final : public TableChild {
  public:
    using TableChild::TableChild;

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? QStringLiteral("Messages") : QString();
    }
    QRect rect() const override { return OnScreen(QRect(0, 0, 1, 1)); }
    QAccessible::Role role() const override { return QAccessible::StatusBar; }
    QAccessible::State state() const override { return {}; }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int i) const override {
        return i == 0 ? owner_.NewsInterface() : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* iface) const override {
        return iface == owner_.NewsInterface() ? 0 : -1;
    }
};

// Carries the announcements: assistive technology speaks a notification as it
// is shown, so each new text is shown anew.
class NewsAccessible final : public TableChild {
  public:
    using TableChild::TableChild;

    QAccessibleInterface* parent() const override { return owner_.StatusInterface(); }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? owner_.LastAnnouncement() : QString();
    }
    QRect rect() const override { return OnScreen(QRect(0, 0, 1, 1)); }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = owner_.LastAnnouncement().isEmpty();
        return s;
    }
};

// The surface: its places and the notification first, then its widgets. A
// filler, as the places are: a screen reader does not say "Table panel" each
// time the focus comes back to the table.
class SurfaceAccessible final : public QAccessibleWidget {
  public:
    explicit SurfaceAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Client) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? QStringLiteral("Table") : QAccessibleWidget::text(t);
    }
    int childCount() const override { return Extra() + static_cast<int>(Widgets().size()); }
    QAccessibleInterface* child(int i) const override {
        TableAccessibility* owner = Owner();
        if (i < 0) return nullptr;
        if (owner && i < kPlaceCount) return owner->PlaceInterface(i);
        if (owner && i == kPlaceCount) return owner->StatusInterface();
        const std::vector<QAccessibleInterface*> widgets = Widgets();
        const size_t w = static_cast<size_t>(i - Extra());
        return w < widgets.size() ? widgets[w] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* iface) const override {
        if (TableAccessibility* owner = Owner(); owner && owner->Owns(iface)) {
            for (int i = 0; i < Extra(); ++i) {
                if (child(i) == iface) return i;
            }
        }
        const std::vector<QAccessibleInterface*> widgets = Widgets();
        const auto at = std::find(widgets.begin(), widgets.end(), iface);
        return at == widgets.end() ? -1 : Extra() + static_cast<int>(at - widgets.begin());
    }
    QAccessibleInterface* focusChild() const override {
        TableAccessibility* owner = Owner();
        if (owner && owner->focus()) return owner->PlaceInterface(RankOf(*owner->focus()));
        return QAccessibleWidget::focusChild();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (QAccessibleInterface* w = QAccessibleWidget::childAt(x, y)) {
            // A card read at a place is found through that place.
            while (w && w->parent() != this && w->parent())
                w = w->parent();
            if (w) return w;
        }
        for (int i = 0; Owner() && i < kPlaceCount; ++i) {
            QAccessibleInterface* place = child(i);
            if (place->rect().contains(x, y)) return place;
        }
        return nullptr;
    }

  private:
    TableAccessibility* Owner() const { return TableAccessibility::For(widget()); }
    int Extra() const { return Owner() ? kPlaceCount + 1 : 0; }
    // The widgets on the table, less the cards that are their places' children.
    std::vector<QAccessibleInterface*> Widgets() const {
        const TableAccessibility* owner = Owner();
        std::vector<QAccessibleInterface*> widgets;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* w = QAccessibleWidget::child(i);
            const auto* card = w ? dynamic_cast<const CardWidget*>(w->object()) : nullptr;
            Place place;
            if (!(owner && card && PlaceReadingCard(owner->table(), card->id(), place)))
                widgets.push_back(w);
        }
        return widgets;
    }
};

// A filler too: a card is read by its name alone, not as "7 of Coppe image".
class CardAccessible final : public QAccessibleWidget {
  public:
    explicit CardAccessible(CardWidget* w) : QAccessibleWidget(w, QAccessible::Client) {}

    QString text(QAccessible::Text t) const override {
        const TableAccessibility* owner = TableAccessibility::For(widget()->parentWidget());
        if (t != QAccessible::Name || !owner) return QAccessibleWidget::text(t);
        return QString::fromStdString(CardSpokenName(owner->table(), Card()->id()));
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        // Cards wait in the stock, off the table, as widgets still shown.
        const QWidget* table = widget()->parentWidget();
        if (table && !table->rect().intersects(widget()->geometry())) {
            s.invisible = true;
            s.offscreen = true;
        }
        return s;
    }

    // A card read at a place is that place's child.
    QAccessibleInterface* parent() const override {
        TableAccessibility* owner = TableAccessibility::For(widget()->parentWidget());
        const int16_t id = Card()->id();
        Place place;
        if (owner && owner->Departing().card == id) {
            const int rank = owner->Departing().rank;
            if (rank != TableAccessibility::kOnTable) return owner->PlaceInterface(rank);
        } else if (owner && PlaceReadingCard(owner->table(), id, place)) {
            return owner->PlaceInterface(RankOf(place));
        }
        return QAccessibleWidget::parent();
    }

  private:
    const CardWidget* Card() const { return static_cast<const CardWidget*>(widget()); }
};

// Our widgets have no meta-object of their own: they are asked for as QWidget.
QAccessibleInterface* TableFactory(const QString&, QObject* object) {
    if (auto* card = dynamic_cast<CardWidget*>(object)) return new CardAccessible(card);
    if (auto* surface = dynamic_cast<TableSurface*>(object)) return new SurfaceAccessible(surface);
    return nullptr;
}

}  // namespace

void TableAccessibility::InstallFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(TableFactory);
        return true;
    }();
    (void)installed;
}

TableAccessibility::TableAccessibility(const Table& table, TableSurface& surface,
                                       const std::array<CardWidget*, 41>& cards)
    : QObject(&surface), table_(table), surface_(surface), cards_(cards) {
    setObjectName(kOwnerName);
    for (int16_t id = 1; id <= kCardCount; ++id)
        cards_[id]->setAccessibleName(QString::fromStdString(CardName(id)));
}

TableAccessibility::~TableAccessibility() {
    for (QAccessibleInterface* place : places_) {
        if (place) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(place));
    }
    if (news_) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(news_));
    if (status_) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(status_));
}

TableAccessibility* TableAccessibility::For(const QWidget* surface) {
    if (!surface) return nullptr;
    return static_cast<TableAccessibility*>(
        surface->findChild<QObject*>(kOwnerName, Qt::FindDirectChildrenOnly));
}

QAccessibleInterface* TableAccessibility::PlaceInterface(int i) {
    if (!places_[i]) {
        places_[i] = new PlaceAccessible(*this, PlaceAt(i));
        QAccessible::registerAccessibleInterface(places_[i]);
    }
    return places_[i];
}

QAccessibleInterface* TableAccessibility::CardInterface(int16_t id) const {
    return QAccessible::queryAccessibleInterface(cards_[id]);
}

QAccessibleInterface* TableAccessibility::StatusInterface() {
    if (!status_) {
        status_ = new StatusAccessible(*this);
        QAccessible::registerAccessibleInterface(status_);
    }
    return status_;
}

QAccessibleInterface* TableAccessibility::NewsInterface() {
    if (!news_) {
        news_ = new NewsAccessible(*this);
        QAccessible::registerAccessibleInterface(news_);
    }
    return news_;
}

bool TableAccessibility::Owns(const QAccessibleInterface* iface) const {
    return iface && (iface == news_ || iface == status_ ||
                     std::find(places_.begin(), places_.end(), iface) != places_.end());
}

void TableAccessibility::TableChanged() {
    if (!QAccessible::isActive()) {
        listening_ = false;
        sayInstead_.reset();
        return;
    }
    // Whoever just started listening asks for the names; only changes from
    // then on are told.
    const bool tell = listening_;
    listening_ = true;
    for (int i = 0; i < kPlaceCount; ++i) {
        std::string name = PlaceName(table_, PlaceAt(i));
        if (tell && name != placeNames_[i]) Tell(PlaceInterface(i), QAccessible::NameChanged);
        placeNames_[i] = std::move(name);
    }
    // A card that changed places leaves one parent and joins another: told as
    // a child removed from the old one (Qt names the parent by asking the
    // card, so the card answers with its old place meanwhile) and added to
    // the new one, so that a reader's review never shows stale children.
    for (int16_t id = 1; id <= kCardCount; ++id) {
        Place place;
        const int rank = PlaceReadingCard(table_, id, place) ? RankOf(place) : kOnTable;
        if (tell && rank != parentRank_[id]) {
            departing_ = {id, parentRank_[id]};
            Tell(CardInterface(id), QAccessible::ObjectDestroyed);
            departing_ = {};
            Tell(CardInterface(id), QAccessible::ObjectCreated);
        }
        parentRank_[id] = rank;
    }
    const bool stockShown = surface_.MazzoShown();
    if (tell && stockShown != stockShown_) {
        Tell(PlaceInterface(RankOf({PlaceKind::Stock, 0})),
             stockShown ? QAccessible::ObjectShow : QAccessible::ObjectHide);
    }
    stockShown_ = stockShown;
    for (int16_t id = 1; id <= kCardCount; ++id) {
        const bool shown = CardReadable(table_, id);
        if (tell && shown != cardShown_[id]) {
            QAccessibleEvent event(cards_[id], QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
        cardShown_[id] = shown;
    }
    const int16_t carried = keys_ ? keys_->HeldCard() : 0;
    std::string said = !tell         ? std::string()
                       : sayInstead_ ? *sayInstead_
                                     : Announcement(snapshot_, table_, {carried_, carried});
    sayInstead_.reset();
    snapshot_ = Snapshot(table_);
    carried_ = carried;
    if (!said.empty()) Announce(said);
}

void TableAccessibility::HoldNews() {
    holding_ = true;
    heldNews_.clear();
}

void TableAccessibility::ReleaseNews(const std::string& answer) {
    holding_ = false;
    const std::string text = answer.empty() ? heldNews_ : answer;
    heldNews_.clear();
    if (!text.empty() && QAccessible::isActive()) Announce(text);
}

void TableAccessibility::Announce(const std::string& text) {
    if (holding_) {
        heldNews_ += (heldNews_.empty() ? "" : ". ") + text;
        return;
    }
    announcement_ = QString::fromStdString(text);
    QAccessibleInterface* news = NewsInterface();
    Tell(news, QAccessible::NameChanged);
    Tell(news, QAccessible::ObjectShow);
}

void TableAccessibility::Read(Place place) {
    Say(PlaceReading(table_, place));
}

void TableAccessibility::SayFocus() {
    if (const std::optional<Place> place = focus())
        Say(PlaceInterface(RankOf(*place))->text(QAccessible::Name).toStdString());
}

void TableAccessibility::Say(const std::string& text) {
    if (QAccessible::isActive()) Announce(text);
}

void TableAccessibility::FollowKeyboard(KeyboardPlay& keys) {
    keys_ = &keys;
    keys.onFocusMoved = [this](Place place) { FocusMoved(place); };
}

int16_t TableAccessibility::HeldByKeys() const {
    return keys_ ? keys_->HeldCard() : 0;
}

std::optional<Place> TableAccessibility::focus() const {
    if (!keys_ || !keys_->FocusShown()) return std::nullopt;
    return keys_->Focus();
}

void TableAccessibility::FocusMoved(Place place) {
    if (!QAccessible::isActive()) return;
    // A covered card the focus went down to is told by its own name.
    const int16_t card = keys_ ? keys_->FocusedCard() : 0;
    Tell(card != 0 ? CardInterface(card) : PlaceInterface(RankOf(place)), QAccessible::Focus);
}

}  // namespace tarvo
