#!/usr/bin/env python3
"""Writes the shipped theme style sheets (_resources/styles/theme*.qss).

Every theme shares one set of rules; only the colours differ. Colours are
written as numbered markers ("/*color4*/#b3b3b3") that the program reads and
the theme editor rewrites, so keep the marker form when editing the rules.
Run from the repository root after changing the rules or a colour table.
"""
import pathlib

VERSION = "1.0"

# Colours 1..11: background 1, background 2, table border 1, background 3,
# disabled text, background 4, table border 2, highlight 1, highlight 2,
# text, text 2.
THEMES = {
    "Dark": ["#1c1c1c", "#303030", "#3a3a3a", "#444444", "#777777", "#585858",
             "#626262", "#6c6c6c", "#808080", "#f0f0f0", "#ffffff"],
    "Light": ["#f0f0f0", "#ffffff", "#d9d9d9", "#b3b3b3", "#808080", "#cccccc",
              "#a6a6a6", "#999999", "#8c8c8c", "#1c1c1c", "#0a0a0a"],
    "Gold": ["#f0f0f0", "#d5d4bb", "#858875", "#c1c0aa", "#808080", "#adac98",
             "#9e9d8c", "#e7e6ca", "#eae9cc", "#1c1c1c", "#0a0a0a"],
    "Red": ["#1c1c1c", "#633a3a", "#231414", "#412525", "#777777", "#1a0e0e",
            "#442727", "#714242", "#764545", "#f0f0f0", "#ffffff"],
    "Blue": ["#f0f0f0", "#d2d9e1", "#bbc6d3", "#a5b4c4", "#808080", "#91a3b9",
             "#7d92ad", "#6982a1", "#567395", "#1c1c1c", "#0a0a0a"],
    "User": ["#1c1c1c", "#523e59", "#685470", "#7d6a86", "#777777", "#8e78a2",
             "#9d89b1", "#a998be", "#b3a5ca", "#f0f0f0", "#ffffff"],
}

RULES = """
QMainWindow, QDialog {
    background-color: @1;
    color: @10;
}
QWidget {
    color: @10;
}
#centralWidget, #rightWrapper, QStackedWidget > QWidget {
    background-color: @1;
}

/* Left toolbar and its menu buttons ("selected" marks the page shown,
   "grayed" a button the session does not offer). */
#leftToolbarFrame {
    background-color: @2;
    border: none;
    border-right: 1px solid @3;
}
#leftToolbarFrame QToolButton {
    background-color: transparent;
    color: @10;
    border: none;
    border-radius: 5px;
    padding: 4px 8px;
}
#leftToolbarFrame QToolButton:hover {
    background-color: @6;
}
#leftToolbarFrame QToolButton[selected="true"] {
    background-color: @4;
    border-left: 4px solid @9;
}
#leftToolbarFrame QToolButton[grayed="true"], #leftToolbarFrame QToolButton:disabled {
    color: @5;
    background-color: transparent;
}

/* Footer: console toggle, notice, theme toggle. */
#footerFrame {
    background-color: @2;
    border-top: 1px solid @3;
}
#statusBarLabel {
    color: @11;
}
#consoleButton, #themeToggle {
    background-color: @4;
    color: @10;
    border: 1px solid @6;
    border-radius: 5px;
}
#consoleButton:hover, #consoleButton:checked, #themeToggle:hover, #themeToggle:checked {
    background-color: @6;
}
#consoleFrame {
    background-color: @2;
    border-top: 1px solid @3;
}
/* The console's own clear and close buttons, drawn flat so that their
   recoloured icons stay visible on every theme. */
ConsoleWidget QToolButton {
    background-color: transparent;
    border: none;
    border-radius: 3px;
}
ConsoleWidget QToolButton:hover {
    background-color: @6;
}

QMenuBar {
    background-color: @2;
    color: @10;
}
QMenuBar::item:selected {
    background-color: @6;
}
QMenu {
    background-color: @2;
    color: @10;
    border: 1px solid @3;
}
QMenu::item:selected {
    background-color: @6;
}
QMenu::item:disabled {
    color: @5;
}

QPushButton {
    background-color: @4;
    color: @10;
    border: 1px solid @6;
    border-radius: 3px;
    padding: 4px 10px;
}
QPushButton:hover {
    background-color: @6;
}
QPushButton:pressed, QPushButton:checked {
    background-color: @8;
}
QPushButton:disabled {
    color: @5;
    background-color: @2;
}
QToolButton {
    color: @10;
}
QToolButton:disabled {
    color: @5;
}

QLineEdit, QSpinBox, QDoubleSpinBox, QDateTimeEdit, QDateEdit, QTimeEdit, QComboBox, QPlainTextEdit, QTextEdit, QTextBrowser {
    background-color: @2;
    color: @10;
    border: 1px solid @3;
    selection-background-color: @8;
    selection-color: @11;
}
QLineEdit:disabled, QComboBox:disabled, QSpinBox:disabled, QDateTimeEdit:disabled {
    color: @5;
}
QComboBox QAbstractItemView {
    background-color: @2;
    color: @10;
    selection-background-color: @8;
}

QTableView, QTreeView, QListView {
    background-color: @2;
    alternate-background-color: @1;
    color: @10;
    gridline-color: @3;
    border: 1px solid @7;
    selection-background-color: @8;
    selection-color: @11;
}
QHeaderView {
    background-color: @2;
    border: none;
}
QHeaderView::section {
    background-color: @4;
    color: @10;
    border: none;
    border-right: 1px solid @7;
    border-bottom: 1px solid @7;
}
QTableCornerButton::section {
    background-color: @4;
    border: none;
}

QTabWidget::pane {
    border: 1px solid @3;
}
QTabBar::tab {
    background-color: @4;
    color: @10;
    border: 1px solid @6;
    padding: 5px 12px;
}
QTabBar::tab:selected {
    background-color: @6;
}
QGroupBox {
    color: @10;
    border: 1px solid @3;
}
QToolTip {
    background-color: @2;
    color: @10;
    border: 1px solid @3;
}
QSplitter::handle {
    background-color: @3;
}

QScrollBar:vertical, QScrollBar:horizontal {
    background-color: @1;
    border: none;
}
QScrollBar::handle:vertical, QScrollBar::handle:horizontal {
    background-color: @6;
    border-radius: 4px;
}
QScrollBar::handle:vertical:hover, QScrollBar::handle:horizontal:hover {
    background-color: @9;
}

QProgressDialog {
    background-color: @2;
    border: 2px solid @4;
}
QProgressBar {
    background-color: @1;
    color: @10;
    border: 1px solid @3;
}
QProgressBar::chunk {
    background-color: @8;
}

/* Chart page. */
QFrame#chartFrame, QFrame#scrollFrame, QFrame#toolsFrame {
    background-color: @2;
}
QWidget#ChartViewPage QPushButton:disabled {
    background-color: @4;
    color: @5;
    border: none;
}

/* Device list and filter page. */
QWidget#DataFilterPage QPushButton {
    background-color: @4;
    color: @10;
    border: 1px solid @6;
    padding: 0px;
}
QWidget#DataFilterPage QPushButton:hover {
    background-color: @6;
}
QWidget#DataFilterPage QPushButton:disabled {
    font: bold 10pt;
    color: @5;
    background-color: @4;
    border: none;
    border-radius: 5px;
}

/* Theme chooser. */
#themeWindowFrame {
    background-color: @2;
    border: 2px solid @4;
    border-radius: 5px;
}
#themeWindowFrame QToolButton {
    background-color: @4;
    color: @10;
    border: 1px solid @6;
    padding: 25px 10px 25px 10px;
    text-align: center;
}
#themeWindowFrame QToolButton:hover, #themeWindowFrame QToolButton:checked {
    background-color: @6;
}
#themeWindowFrame QPushButton {
    background-color: @4;
    color: @10;
    border: 1px solid @6;
    padding: 5px 10px 5px 10px;
}
#themeWindowFrame QPushButton:hover {
    background-color: @6;
}
"""


def sheet(name, colours):
    text = RULES
    # Longest numbers first so that "@1" does not eat "@10" and "@11".
    for number in range(len(colours), 0, -1):
        text = text.replace("@%d" % number, "/*color%d*/%s" % (number, colours[number - 1]))
    header = "/* @version: %s */\n/* Quorlog %s theme. */\n" % (VERSION, name.lower())
    return header + text.lstrip("\n")


def main():
    out = pathlib.Path("_resources/styles")
    out.mkdir(parents=True, exist_ok=True)
    for name, colours in THEMES.items():
        (out / ("theme%s.qss" % name)).write_text(sheet(name, colours), encoding="utf-8")


if __name__ == "__main__":
    main()
