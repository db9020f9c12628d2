#pragma once

#include <QString>

// Presentations read as text: each slide's texts in order, a line "--- スライド N ---" before
// each slide (N from 1, in show order), so that a change is found by its slide. On a slide the
// paragraphs of its shapes come in the order the shapes are stacked (titles, bodies, tables
// cell by cell), then the paragraphs of its speaker notes. Footer, date and slide-number
// placeholders are not slide text.
//
// Both return false with *reason (a ZipText or DocumentText text) for a missing, damaged,
// encrypted, oversized or foreign file.

// The heading line before the texts of slide `number`.
QString slideHeading(int number);

// .pptx .pptm .ppsx .ppsm .potx .potm: the slides the presentation part lists, each with its
// notes slide. A compound file under such a name is a password-protected package.
bool readPresentationPackage(const QString &path, QString *text, QString *reason);

// .odp .otp: the draw:page elements of content.xml, each with its presentation:notes.
bool readOdfPresentation(const QString &path, QString *text, QString *reason);
