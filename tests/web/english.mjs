// The pages' English texts, as a page that opens in English has them: the
// modules under test write their words through the language module.
import {readFileSync} from 'node:fs';
import {useStrings} from '../../src/web/js/i18n.js';

export const english = JSON.parse(
    readFileSync(new URL('../../src/web/lang/en.json', import.meta.url), 'utf8'),
);

useStrings('en', english);
