#include "ui/panel_texts.h"

// The blanks at some line ends belong to the texts.

namespace tarvo {

QString EnglishRulesText() {
    // Six lines; the fourth ends with a blank.
    return QString::fromUtf8(reinterpret_cast<const char*>(
        u8"Tarvo is one of most diffuse solitaire in the world, often known with another name and "
        u8"some little variation.\r\n"
        u8"This version is the original one with neapolitans cards.\r\n"
        u8"The aim is to stack all the same suit playing cards in increasing order on each of four "
        u8"free places in playing field right edge.\r\n"
        u8"On starting, the game puts on 7 columns a number of random cards in number decreasing "
        u8"form 7 to 1, so making a Tarvo. The remaining cards are not showed and you can play "
        u8"them one a time. The cards you can play, that is you can move, are the last of each "
        u8"column. The allowed movements (as well as those for stacking the same suit playing "
        u8"cards) are of two kinds: toward just engaged places by other cards or toward vacant "
        u8"one. You can move any card on a vacant column. The line up in column is only allowed if "
        u8"one unit decreasing order is observed with \"short-long\" rule. \r\n"
        u8"For example, you can only move down 4 Bastoni (long suit) a 3 Denari (short suit) or 3 "
        u8"Coppe (short suit).\r\n"
        u8"You can use the right mouse button to view semi-hidden cards and double click for "
        u8"positioning cards in their proper place.\r\n"));
}

QString ItalianRulesText() {
    // Six lines; the third, fourth and fifth end with a blank.
    return QString::fromUtf8(reinterpret_cast<const char*>(
        u8"I quattro pali sono Denari, Coppe (pali corti), Spade e Bastoni (pali lunghi).\r\n"
        u8"Lo scopo del gioco è quello di impilare, in ordine crescente, le prime sette carte di "
        u8"ogni palo in ognuno dei quattro posti liberi sulla destra del tavolo da gioco.\r\n"
        u8"Inizialmente il gioco dispone casualmente le carte su 7 colonne con un numero di carte "
        u8"decrescente da 7 a 1. Le rimanenti restano coperte e possono essere girate una per "
        u8"volta. \r\n"
        u8"Le carte giocabili, e quindi spostabili, sono le ultime di ogni colonna e le carte "
        u8"coperte. Gli spostamenti possibili (oltre a quelli per impilare le carte dello stesso "
        u8"palo) sono di due tipi: in una colonna piena (già occupata da altre carte) o in una "
        u8"colonna vuota. Qualunque carta può essere spostata in una colonna vuota. \r\n"
        u8"L'incolonnamento è consentito solo seguendo l'ordine decrescente di una unità con la "
        u8"regola \"corto-lungo\". Ad esempio sotto un quattro di Bastoni (quattro lungo) si potrà "
        u8"spostare un tre di denari o un tre di coppe (tre corto). E' possibile \r\n"
        u8"usare il tasto destro del mouse per visualizzare carte parzialmente coperte e cliccare "
        u8"due volte per lo spostamento automatico delle carte nel posto giusto.\r\n"));
}

QString InformationText() {
    // The version line first, then ours: the keys that no menu shows, each
    // line within the panel's 201 pixels in DejaVu Sans 10 (163 at most).
    return QString::fromUtf8(
        reinterpret_cast<const char*>(u8"Tarvo solitaire ver 3.2\r\n"
                                      u8"Quattro Semi, Napoli\r\n"
                                      u8"Ctrl+Z undo, Ctrl+Y redo\r\n"
                                      u8"H hint, Shift+F2 sure win\r\n"));
}

}  // namespace tarvo
