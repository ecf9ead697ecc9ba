import QtQuick 2.15

// The one way a dialog page lays out its buttons: side by side, centred on
// the panel, 24 px apart, 30 px above the panel's bottom edge.
Item {
    default property alias buttons: row.data

    anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
    anchors.bottom: parent ? parent.bottom : undefined
    anchors.bottomMargin: 30
    width: Math.max(1, row.width)
    height: Math.max(1, row.height)

    Row {
        id: row

        spacing: 24
    }
}
