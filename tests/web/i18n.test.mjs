// The pages' language: which one a browser gets, English for what a language
// lacks, and numbers, scores and places as each language writes them.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {chooseLanguage, localOrdinal, localScore, t, useStrings} from '../../src/web/js/i18n.js';
import {scoreText} from '../../src/web/js/score.js';
import {english} from './english.mjs';

test('the language kept in the browser wins, then the first of the browser languages spoken', () => {
    assert.equal(chooseLanguage('de', ['es-ES', 'en']), 'de');
    assert.equal(chooseLanguage(null, ['es-MX', 'en-US']), 'es');
    assert.equal(chooseLanguage(null, ['pt-BR', 'it', 'FR_ca']), 'fr');
    assert.equal(chooseLanguage('it', ['nl', 'pt']), 'en'); // neither is spoken here
    assert.equal(chooseLanguage(null, undefined), 'en');
});

test("a board's link names its language, over the one kept and the browser's", () => {
    assert.equal(chooseLanguage('de', ['fr'], 'es'), 'es');
    assert.equal(chooseLanguage(null, ['de'], ' ES-mx '), 'es');
    // A language the pages do not speak, or none, leaves the choice as it was.
    assert.equal(chooseLanguage('de', ['fr'], 'it'), 'de');
    assert.equal(chooseLanguage(null, ['fr'], ''), 'fr');
    assert.equal(chooseLanguage(null, [], null), 'en');
});

test('a key missing from a language reads in English, one missing from both as itself', () => {
    useStrings(
        'es',
        {'a.hello': 'Hola {name}'},
        {'a.hello': 'Hello {name}', 'a.bye': 'Bye {name}'},
    );
    try {
        assert.equal(t('a.hello', {name: 'Ana'}), 'Hola Ana');
        assert.equal(t('a.bye', {name: 'Ana'}), 'Bye Ana');
        assert.equal(t('a.unknown'), 'a.unknown');
        assert.equal(t('a.hello'), 'Hola {name}'); // a missing value stays visible
    } finally {
        useStrings('en', english);
    }
});

test('a score keeps its rounding and takes the decimal separator of the language', () => {
    const cases = [
        [9.35, {en: '9.350', es: '9,350', fr: '9,350', de: '9,350'}],
        [9.1025, {en: '9.103', es: '9,103', fr: '9,103', de: '9,103'}],
        [38.4, {en: '38.400', es: '38,400', fr: '38,400', de: '38,400'}],
        [1234.5, {en: '1234.500', es: '1234,500', fr: '1234,500', de: '1234,500'}],
        [-0.0001, {en: '0.000', es: '0,000', fr: '0,000', de: '0,000'}],
    ];
    for (const [value, byLanguage] of cases) {
        assert.equal(scoreText(value), byLanguage.en, 'the point the server reads');
        for (const [language, text] of Object.entries(byLanguage)) {
            assert.equal(scoreText(value, language), text, `${value} in ${language}`);
            useStrings(language, {}, english);
            assert.equal(localScore(value), text);
        }
    }
    assert.equal(scoreText(null, 'es'), '');
    useStrings('en', english);
});

test('places as each language writes them', () => {
    const expected = {
        en: ['1st', '2nd', '3rd', '4th', '11th', '22nd'],
        es: ['1.º', '2.º', '3.º', '4.º', '11.º', '22.º'],
        fr: ['1er', '2e', '3e', '4e', '11e', '22e'],
        de: ['1.', '2.', '3.', '4.', '11.', '22.'],
    };
    for (const [language, places] of Object.entries(expected)) {
        useStrings(language, {}, english);
        assert.deepEqual([1, 2, 3, 4, 11, 22].map(localOrdinal), places);
    }
    useStrings('en', english);
});
