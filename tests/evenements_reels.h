// What a user does to a control, sent as real mouse and key events to its
// widget (QTest), so that tests go through the same path as a person.
#pragma once

#include "forms/controles.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace tk::test {

// A left click in the middle of a control (or at a point of it, in pixels).
inline void cliquer(Controle& c, QPoint ou = {}) {
    QWidget* w = c.widget();
    QTest::mouseClick(w, Qt::LeftButton, {}, ou.isNull() ? w->rect().center() : ou);
}

// A click on a check box's own box.
inline void cocher(Controle& c) { cliquer(c, QPoint(6, c.widget()->height() / 2)); }

// Chooses an item of a combo box the way a person does with the keyboard:
// opens the list, moves to the item, presses Return.
inline void choose(ComboBox& c, const QString& texte) {
    auto* combo = static_cast<QComboBox*>(c.widget());
    const int i = combo->findText(texte, Qt::MatchExactly);
    ASSERT_GE(i, 0) << texte.toStdString();
    QTest::keyClick(combo, Qt::Key_F4);
    QAbstractItemView* liste = combo->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return liste->isVisible(); }));
    liste->setCurrentIndex(combo->model()->index(i, 0));
    QTest::keyClick(liste, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !liste->isVisible(); }));
}

} // namespace tk::test
